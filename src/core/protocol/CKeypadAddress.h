#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The address of a keypad's lights or motors on a bus: zone.group.node, where node 0 means
// the whole group.
struct CKeypadAddress {
    // The largest part a device answers to.
    static constexpr int kLargestPart = 255;

    int zone = 0;
    int group = 0;
    int node = 0;

    friend bool operator==(const CKeypadAddress&, const CKeypadAddress&) = default;

    // "2.1.0".
    QByteArray text() const;

    // The address box of the LED and motor keypads: up to three parts separated by ".",
    // each a decimal number; a missing or non-numeric part is 0 ("3.4" is 3.4.0). Nothing
    // when a part is negative or above 255, so that the box never shows an address the
    // commands do not go to.
    static std::optional<CKeypadAddress> parseBox(QByteArrayView text);
    // The basic keypad's box: the same, but parts above 255 are kept as typed (such an
    // address reaches no device). Nothing for a negative part.
    static std::optional<CKeypadAddress> parseWideBox(QByteArrayView text);
    // The sun dialog's three boxes: each must be digits only, 0 to 255.
    static std::optional<CKeypadAddress> fromParts(QByteArrayView zone, QByteArrayView group,
                                                   QByteArrayView node);
    // The zone.group.node that a status line ("!2.1.3.LED.VALUE=...") begins with, after
    // its leading "!" characters; non-numeric parts read as 0.
    static CKeypadAddress ofStatusLine(QByteArrayView line);

private:
    static std::optional<CKeypadAddress> parse(QByteArrayView text, int largest);
};
