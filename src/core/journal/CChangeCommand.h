#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// A command text that changes something on a gateway or bus device, taken apart so that
// the journal can tell what it changed and recognise the reply that confirms it. Queries,
// identify requests, registrations and keypad commands change nothing and are not
// changes.
struct CChangeCommand {
    enum class Kind {
        GatewaySetting,  // "&NETWORK.DHCP=ENABLE;"
        GatewayRestart,  // "&VERSION_HW=RESET;"
        DeviceSetting,   // "#UID12.LED.DISSOLVE=20;", "#UID12.A.LED.MODE=RGB"
        DeviceAddress,   // "#SN812.UID=7;" (device: its serial number) or "#UID=7;" (the next
                         // device pressed)
    };

    Kind kind = Kind::GatewaySetting;
    QByteArray device;  // "UID 12", "SN 812"; empty for the gateway
    quint32 uid = 0;    // the device's UID, or the UID an address command gives
    CSettingAddress address;
    QByteArray value;  // without the terminator

    static std::optional<CChangeCommand> of(QByteArrayView text);
    // A preset file's line: a device's LED.PRESET from the first preset slot on.
    bool isPresetFileLine() const;
};
