#pragma once

#include <chrono>

// How hard the LAN scan works. The defaults finish a /24 where nobody answers in about
// two answer waits: 254 addresses, 128 at a time.
struct CLanScanOptions {
    // Addresses being resolved at the same time.
    int maxInFlight = 128;
    // How long an address may take to answer. Hosts answer within milliseconds; the wait
    // lets the kernel repeat a lost request once (it asks again after a second).
    std::chrono::milliseconds answerWait{2000};
    // How long a found host's row waits for its name before it goes out without one.
    std::chrono::milliseconds nameWait{2000};
    // How often the neighbour table is read and the stop flag looked at.
    std::chrono::milliseconds pollInterval{20};
    // Reverse look-ups at the same time; 0 looks names up on the scan's own thread.
    int lookupThreads = 16;
};
