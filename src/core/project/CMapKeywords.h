#pragma once

#include <string_view>

// The device map's keyword table: the icon kind of a device from its TYPE text, and of a
// section from its label. The first keyword the text contains wins; none gives 0.
class CMapKeywords {
public:
    static constexpr int kRoot = 0;
    static constexpr int kUntyped = 1;
    static constexpr int kPort = 12;
    // How many kinds there are, one icon each.
    static constexpr int kKinds = 27;

    static int kindOf(std::string_view text);
};
