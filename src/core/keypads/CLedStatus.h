#pragma once

#include "core/protocol/CKeypadAddress.h"
#include "core/protocol/KeypadTypes.h"

#include <QByteArrayView>
#include <QList>

// What a status line that an LED device reports back means to an LED keypad. The line
// ("!2.1.3.LED.COLOR=120.240.60") is for the keypad when zone and group are its own and
// the node is its own, or the keypad drives the whole group (node 0). Of the markers
// "VALUE=", "COLOR=" and "STATUS=", the first in that order that the line contains says
// which levels its numbers set: red, green, blue and white; hue, saturation and fade; sun
// and colour temperature. A level is set only when the line has a number for it.
class CLedStatus {
public:
    struct Update {
        vorel::keypad::LedLevel level;
        int value;  // within the level's range

        friend bool operator==(const Update&, const Update&) = default;
    };

    // Empty for a line of another address or without a marker.
    static QList<Update> updates(QByteArrayView line, const CKeypadAddress& own);
    static bool isFor(const CKeypadAddress& reported, const CKeypadAddress& own);
};
