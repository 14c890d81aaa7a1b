#pragma once

#include <string_view>

// Numbers as XPath 1.0 reads them from text, for the ">" comparisons that keep bus
// devices in ascending order: optional blanks, an optional minus, digits with an optional
// fraction; anything else is NaN, which compares false with everything.
class CXPathNumber {
public:
    static double parse(std::string_view text);
    // The leading decimal number of text, as the C library's atoi reads it, kept in range.
    static long long leadingInteger(std::string_view text);
};
