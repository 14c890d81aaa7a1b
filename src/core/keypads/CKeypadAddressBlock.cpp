#include "core/keypads/CKeypadAddressBlock.h"

#include "core/settings/CSettings.h"

CKeypadAddressBlock CKeypadAddressBlock::fromSettings(const CSettings& settings) {
    // The kinds are fixed by the keypads that use each entry; only addresses are settings.
    static constexpr std::array<std::uint8_t, 6> kKinds{5, 5, 4, 4, 6, 0};
    CKeypadAddressBlock block;
    for (size_t n = 0; n < block.entries.size(); ++n) {
        const CSettings::KeypadStart& start = settings.keypadStarts[n];
        Entry& entry = block.entries[n];
        entry.zone = static_cast<std::uint8_t>(start.zone);
        entry.group = static_cast<std::uint8_t>(start.group);
        entry.node = static_cast<std::uint8_t>(start.node);
        entry.inUse = 1;
        entry.kind = kKinds[n];
    }
    block.type = static_cast<std::uint8_t>(settings.keypadType);
    return block;
}

CKeypadAddress CKeypadAddressBlock::start(int entry) const {
    const Entry& chosen = entries.at(static_cast<size_t>(entry - 1));
    return {chosen.zone, chosen.group, chosen.node};
}

void CKeypadAddressBlock::setStart(int entry, const CKeypadAddress& address) {
    Entry& chosen = entries.at(static_cast<size_t>(entry - 1));
    chosen.zone = static_cast<std::uint8_t>(address.zone);
    chosen.group = static_cast<std::uint8_t>(address.group);
    chosen.node = static_cast<std::uint8_t>(address.node);
}
