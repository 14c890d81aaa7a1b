#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>

// One setting of a simulated device and its current value.
struct CSimSetting {
    CSettingAddress address;
    QByteArray value;
};
