#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;

// "Network Setup": the adapter to bind and scan with, the UDP ports and the TCP gateway.
// The fields are taken as typed: the ports are unsigned numbers (an empty field is 0) and
// the address is read the way inet_addr reads it (anything else is 255.255.255.255).
class CNetworkConfig : public QDialog {
    Q_OBJECT

public:
    struct Values {
        // The chosen adapter; -1 when none is chosen (the selection stays).
        int selectedAdapter = -1;
        quint32 sendPort = 0;
        quint32 receivePort = 0;
        // Network byte order.
        quint32 defaultIp = 0;
    };

    CNetworkConfig(const QString& hostName, const QStringList& adapterNames, const Values& current,
                   QWidget* parent = nullptr);

    // The form as it stands.
    Values values() const;

    static quint32 portFromText(const QString& text);
    static quint32 addressFromText(const QString& text);

    QLineEdit* hostNameField() const { return m_hostName; }
    QComboBox* adapterList() const { return m_adapters; }
    QLineEdit* sendPortField() const { return m_sendPort; }
    QLineEdit* listenPortField() const { return m_listenPort; }
    QLineEdit* defaultIpField() const { return m_defaultIp; }

private:
    QLineEdit* m_hostName;
    QComboBox* m_adapters;
    QLineEdit* m_sendPort;
    QLineEdit* m_listenPort;
    QLineEdit* m_defaultIp;
};
