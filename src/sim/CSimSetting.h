#pragma once

#include "CSimPath.h"

#include <QByteArray>

// One setting of a simulated device and its current value.
struct CSimSetting {
    CSimPath path;
    QByteArray value;
};
