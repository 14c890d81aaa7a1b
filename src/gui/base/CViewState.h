#pragma once

#include "gui/base/CStatusLine.h"

#include "core/keypads/CKeypadAddressBlock.h"
#include "core/project/CProjectTreeModel.h"

// What the views remember between view switches: a view is made anew at every switch,
// and this outlives them all.
struct CViewState {
    // The project view's mode: CProjectTreeModel::kDeviceMode (0) shows and uploads the bus
    // devices, kGatewayMode (1) the gateways.
    int mapMode = CProjectTreeModel::kDeviceMode;
    // Where keypads opened later start (the motor keypad moves its entry to 1.1.1).
    CKeypadAddressBlock keypads;
    // The status bar's line, which the views' actions write.
    CStatusLine status;
};
