#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <QMetaType>

// A setting reply that the document has just entered into the plan, as its observers
// see it: who reported it, where the setting lives and the value as it came off the wire.
// Sequences wait on these instead of sleeping through a fixed pause.
struct CEnteredSetting {
    enum class Source { Gateway, BusDevice };

    Source source = Source::Gateway;
    QByteArray gateway;    // the sender's dotted address (for a bus device: its gateway)
    QByteArray attribute;  // "IP" for a gateway, "UID" for a bus device
    QByteArray number;     // the gateway's address again, or the device's UID text
    CSettingAddress address;
    QByteArray value;  // the reply's bytes, before they were made XML text

    bool isGateway() const { return source == Source::Gateway; }
};

Q_DECLARE_METATYPE(CEnteredSetting)
