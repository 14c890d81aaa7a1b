#pragma once

#include "core/protocol/CKeypadAddress.h"

#include <array>
#include <cstdint>

class CSettings;

// Start addresses (zone.group.node) of the virtual keypads, handed to each keypad as a
// copy when it opens. Read from the settings when the plan is made, never written back.
struct CKeypadAddressBlock {
    struct Entry {
        std::uint8_t zone = 0;
        std::uint8_t group = 0;
        std::uint8_t node = 0;
        std::uint8_t inUse = 0;
        std::uint8_t kind = 0;
    };

    // The entry the virtual keypads start from.
    static constexpr int kKeypadEntry = 6;

    std::array<Entry, 6> entries{};
    std::uint8_t type = 0;

    static CKeypadAddressBlock fromSettings(const CSettings& settings);

    // Zone, group and node of entry n (1 to 6).
    CKeypadAddress start(int entry) const;
    // Parts are kept modulo 256, as the block holds bytes.
    void setStart(int entry, const CKeypadAddress& address);
};
