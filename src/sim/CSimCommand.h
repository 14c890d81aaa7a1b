#pragma once

#include "core/address/CSettingAddress.h"
#include "sim/CSimKeypadAddress.h"

#include <QByteArray>
#include <QByteArrayView>

// One command as a gateway receives it in a datagram, taken apart. Anything that is not
// a well-formed command of a family the program sends is Invalid, and the site answers
// an invalid command with silence.
class CSimCommand {
public:
    enum class Kind {
        Invalid,
        GatewayQuery,     // "&=?;" (every setting) or "&NAME=?;" (one setting)
        GatewaySet,       // "&NETWORK.DHCP=ENABLE;"
        GatewayRestart,   // "&VERSION_HW=RESET;"
        GatewayIdentify,  // "&=IDENTIFY"
        BusRegister,      // "#UID=REGISTER;"
        BusArm,           // "#UID=7;" or "#uid=7;": the next device pressed takes UID 7
        DeviceReaddress,  // "#SN812.UID=7;"
        DeviceQuery,      // "#UID5=?;", "#uid5=?;" (every setting) or "#UID5.ALIAS=?;"
        DeviceSet,        // "#UID5.LED.DISSOLVE=20;", "#UID7.LED.PRESET.100=255.128.0"
        DeviceIdentify,   // "#UID5=IDENTIFY;", "#SN812=IDENTIFY;"
        Keypad,           // "#2.1.0.LED=FADE_UP\r", "#1.1.1.MOTOR=GOTO,50.25\r"
    };
    enum class Target { None, Uid, Serial, Keypad };

    // Longer datagrams are never commands the program sends.
    static constexpr qsizetype kMaxLength = 300;

    static CSimCommand parse(QByteArrayView datagram);

    Kind kind = Kind::Invalid;
    Target target = Target::None;
    quint32 number = 0;       // the UID or serial number of the target device
    quint32 newUid = 0;       // BusArm and DeviceReaddress
    CSettingAddress address;  // empty for the whole target
    QByteArray value;         // as sent, without the terminator
    CSimKeypadAddress keypad;

private:
    static CSimCommand parseGateway(QByteArrayView path, QByteArrayView value);
    static CSimCommand parseBus(QByteArrayView target, QByteArrayView value);
    static CSimCommand parseDevice(Target target, quint32 number, QByteArrayView rest,
                                   QByteArrayView value);
    static CSimCommand parseKeypad(QByteArrayView target, QByteArrayView value);
};
