#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QSet>

// The replies heard while a command runs, byte for byte as the devices sent them (the
// plan keeps a cleaned copy fit for XML). Scripts that ask for JSON get these bytes.
class CCliReplyLog {
public:
    void add(QByteArrayView line);

    // One gateway's settings as "path" (port, group, key and index joined by ".") and
    // its last value, in the order they first came.
    QList<QPair<QByteArray, QByteArray>> gatewaySettings(const QByteArray& sender) const;
    QByteArray gatewaySetting(const QByteArray& sender, const QByteArray& path) const;
    // True once the device with this UID behind this gateway sent a setting.
    bool deviceAnswered(const QByteArray& sender, long long uid) const;

private:
    struct Setting {
        QByteArray sender;
        QByteArray path;
        QByteArray value;
    };
    QList<Setting> m_gatewaySettings;
    QSet<QByteArray> m_answeredDevices;  // "sender uid"
};
