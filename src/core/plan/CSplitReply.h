#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>

// One traffic line taken apart by the reply splitter.
struct CSplitReply {
    enum Kind {
        NotASetting = 0,  // ends the drain: a query echo, a keypad status, no key
        GatewaySetting = 1,
        DeviceSetting = 2,
        Ignored = 3,  // a "!UID" reply without a path: kept in the history only
    };

    Kind kind = NotASetting;
    QByteArray sender;
    QByteArray identifier;  // the sender again for a gateway, the UID digits for a device
    CSettingAddress address;
    QByteArray value;
};
