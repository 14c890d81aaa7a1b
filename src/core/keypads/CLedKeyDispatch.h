#pragma once

#include "core/protocol/CKeypadAddress.h"
#include "core/protocol/KeypadTypes.h"

#include <QByteArray>
#include <optional>

// What a key of an LED keypad does: one table for the LED keypad and the basic keypad,
// which differ only in how their texts end. The LED keypad ends each text as its table
// says ("\r", or "\r\n" for a recall and for key 3's stop); the basic keypad never adds a
// terminator.
class CLedKeyDispatch {
public:
    enum class Endings { LedKeypad, None };

    struct Outcome {
        QByteArray command;  // empty: nothing is sent
        bool beep = false;
        std::optional<vorel::keypad::Mode> mode;  // the mode the keypad changes to

        friend bool operator==(const Outcome&, const Outcome&) = default;
    };

    static Outcome dispatch(Endings endings, vorel::keypad::Mode mode, vorel::keypad::Key key,
                            vorel::keypad::KeyEvent event, const CKeypadAddress& address);
};
