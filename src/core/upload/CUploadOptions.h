#pragma once

#include "core/protocol/CRetryRule.h"
#include "core/sequence/CPacing.h"

#include <chrono>

// How an upload runs.
struct CUploadOptions {
    // Fixed: every pause as installers have always known them. ByReplies: a pause ends
    // once the device has reported (and its reports went quiet for quietWindow) or echoed
    // the value just set; never longer than the fixed pause, with the same texts in the same
    // order on the wire.
    CPacing pacing = CPacing::ByReplies;
    // Only the queries go out; the rows are compared and kept, nothing is set, nobody is
    // asked and nothing is written to the traffic.
    bool dryRun = false;
    std::chrono::milliseconds quietWindow{150};
    // How often a query whose report leaves the upload short, or a set whose echo did not
    // come, goes out again.
    int retries = CRetryRule::kDefaultRetries;
    // Every gateway at the same time, each in its own order; in the bus device upload every
    // bus at the same time, each device in its own order (false: one after another).
    bool concurrent = true;
};
