#pragma once

#include "core/address/CSettingAddress.h"
#include "sim/CSimKeypadAddress.h"

#include <QByteArray>
#include <QByteArrayView>

// Every text the simulated site sends, one function per reply family, each a whole
// datagram ending in CR LF.
class CSimReplies {
public:
    static constexpr const char* kLineEnd = "\r\n";

    // "!NETWORK.DHCP=ENABLE;"
    static QByteArray gatewaySetting(const CSettingAddress& path, QByteArrayView value);
    // "!UID12.LED.PRESET.3=255.0.0;"
    static QByteArray deviceSetting(quint32 uid, const CSettingAddress& path, QByteArrayView value);
    // "+UID12;"
    static QByteArray uidAnnouncement(quint32 uid);
    // "+SN812;"
    static QByteArray serialAnnouncement(quint32 serial);
    // "!2.1.3.LED.VALUE=red.green.blue.white"
    static QByteArray ledValue(const CSimKeypadAddress& address, int red, int green, int blue,
                               int white);
    // "!2.1.3.LED.COLOR=hue.saturation.fade"
    static QByteArray ledColor(const CSimKeypadAddress& address, int hue, int saturation, int fade);
    // "!2.1.3.LED.STATUS=sun.cct"
    static QByteArray ledStatus(const CSimKeypadAddress& address, int sun, int cct);
    // "!1.1.2.MOTOR.POSITION=37.05" for 3705 hundredths of a percent
    static QByteArray motorPosition(const CSimKeypadAddress& address, int hundredths);

private:
    static QByteArray keypadStatus(const CSimKeypadAddress& address, const char* path,
                                   const QByteArray& value);
};
