#pragma once

#include <QtGlobal>

// How long a site takes to answer, for measuring pacing against something like real
// hardware. A gateway answers its own commands after gatewayMs. A command for the bus
// waits until that gateway's bus is free, which is one bus per gateway, serialised: the
// device answers busMs later, and every setting it reports takes busPerSettingMs more
// bus time (so a device reporting 40 settings keeps the bus busy for busMs + 40 times
// busPerSettingMs). Each reply comes up to jitterMs later still, drawn from the site's
// seed. All zero: every reply at once.
struct CSimLatency {
    int gatewayMs = 0;
    int busMs = 0;
    int busPerSettingMs = 0;
    int jitterMs = 0;

    bool isNone() const {
        return gatewayMs <= 0 && busMs <= 0 && busPerSettingMs <= 0 && jitterMs <= 0;
    }
};
