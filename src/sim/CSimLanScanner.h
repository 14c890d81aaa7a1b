#pragma once

#include <memory>

class CLanScanner;
class CSimNetwork;

// The LAN scan of the demonstration: the program's own scanner, asking the simulated
// site who is there and what they are called instead of the kernel and the name service.
// The scanner keeps the site alive for as long as it may ask it.
class CSimLanScanner {
public:
    static std::unique_ptr<CLanScanner> create(std::shared_ptr<CSimNetwork> site);
};
