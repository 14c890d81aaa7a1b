#pragma once

#include <QByteArrayView>
#include <optional>

// Numbers as the keypads read them from typed addresses and from status lines: the decimal
// number at the start of a text, as the devices' firmware reads it, but bounded. A number
// too large for an int saturates instead of overflowing.
class CKeypadNumber {
public:
    static constexpr int kLargest = 2147483647;

    // Leading blanks, an optional sign, then digits; 0 when there are no digits.
    static int leading(QByteArrayView text);
    // The same, but nothing when the text has no leading number at all.
    static std::optional<int> leadingIfAny(QByteArrayView text);
    // Digits only, the whole text, from 0 to max; nothing otherwise.
    static std::optional<int> exact(QByteArrayView text, int max);
};
