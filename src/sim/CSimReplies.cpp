#include "sim/CSimReplies.h"

#include <QString>

namespace {

QByteArray number(qint64 value) {
    return QByteArray::number(value);
}

QByteArray dottedNumbers(std::initializer_list<int> values) {
    QByteArray joined;
    for (const int value : values) {
        if (!joined.isEmpty()) {
            joined.append('.');
        }
        joined.append(number(value));
    }
    return joined;
}

}  // namespace

QByteArray CSimReplies::gatewaySetting(const CSettingAddress& path, QByteArrayView value) {
    return "!" + path.text() + "=" + value.toByteArray() + ";" + kLineEnd;
}

QByteArray CSimReplies::deviceSetting(quint32 uid, const CSettingAddress& path,
                                      QByteArrayView value) {
    return "!UID" + number(uid) + "." + path.text() + "=" + value.toByteArray() + ";" + kLineEnd;
}

QByteArray CSimReplies::uidAnnouncement(quint32 uid) {
    return "+UID" + number(uid) + ";" + kLineEnd;
}

QByteArray CSimReplies::serialAnnouncement(quint32 serial) {
    return "+SN" + number(serial) + ";" + kLineEnd;
}

QByteArray CSimReplies::ledValue(const CSimKeypadAddress& address, int red, int green, int blue,
                                 int white) {
    return keypadStatus(address, "LED.VALUE", dottedNumbers({red, green, blue, white}));
}

QByteArray CSimReplies::ledColor(const CSimKeypadAddress& address, int hue, int saturation,
                                 int fade) {
    return keypadStatus(address, "LED.COLOR", dottedNumbers({hue, saturation, fade}));
}

QByteArray CSimReplies::ledStatus(const CSimKeypadAddress& address, int sun, int cct) {
    return keypadStatus(address, "LED.STATUS", dottedNumbers({sun, cct}));
}

QByteArray CSimReplies::motorPosition(const CSimKeypadAddress& address, int hundredths) {
    return keypadStatus(
        address, "MOTOR.POSITION",
        QString::asprintf("%d.%02d", hundredths / 100, hundredths % 100).toLatin1());
}

QByteArray CSimReplies::keypadStatus(const CSimKeypadAddress& address, const char* path,
                                     const QByteArray& value) {
    return "!" + number(address.zone) + "." + number(address.group) + "." + number(address.node) +
           "." + path + "=" + value + kLineEnd;
}
