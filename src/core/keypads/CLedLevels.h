#pragma once

#include "core/protocol/KeypadTypes.h"

#include <QString>
#include <array>

// The LED keypad's levels as its sliders show them: every level runs from 0 to 240 and is
// shown as a percentage, except the colour temperature, which runs from 1700 to 9000 K and
// is shown as it is.
class CLedLevels {
public:
    static constexpr int kLevelMax = 240;
    static constexpr int kCctMin = 1700;
    static constexpr int kCctMax = 9000;

    static constexpr std::array<vorel::keypad::LedLevel, 9> kAll{
        vorel::keypad::LedLevel::Fade,       vorel::keypad::LedLevel::Hue,
        vorel::keypad::LedLevel::Saturation, vorel::keypad::LedLevel::Red,
        vorel::keypad::LedLevel::Green,      vorel::keypad::LedLevel::Blue,
        vorel::keypad::LedLevel::White,      vorel::keypad::LedLevel::Sun,
        vorel::keypad::LedLevel::Cct};

    static int minimum(vorel::keypad::LedLevel level);
    static int maximum(vorel::keypad::LedLevel level);
    static int clamped(vorel::keypad::LedLevel level, int value);
    // "50%" for 120; "3000" for a colour temperature of 3000 K.
    static QString valueText(vorel::keypad::LedLevel level, int value);
    // The slider's caption: "FADE", "HUE", ...
    static QString caption(vorel::keypad::LedLevel level);
};
