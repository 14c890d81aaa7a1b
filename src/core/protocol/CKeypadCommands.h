#pragma once

#include "core/protocol/CKeypadAddress.h"
#include "core/protocol/KeypadTypes.h"

#include <QByteArray>
#include <optional>

// The texts of the virtual keypads and the sun dialog, built in one place. They go to a
// keypad address on the bus ("#zone.group.node.") and end as each keypad has always ended
// them: a carriage return, a carriage return and line feed, or nothing.
class CKeypadCommands {
public:
    enum class Terminator { None, Cr, CrLf };

    // 100.00 %.
    static constexpr int kLargestPosition = 10000;

    enum class LedAction {
        FadeUp,
        SatUp,
        HueUp,
        FadeDown,
        SatDown,
        HueDown,
        Stop,
        Recall,
        Store,
        On,
        Off,
        Effect,
    };

    enum class MotorAction { Up, Down, Stop, Retract, Recall, Store };

    // "#2.1.0.LED=RECALL,2\r\n": the action, its number where it has one, the terminator.
    static QByteArray led(const CKeypadAddress& address, LedAction action,
                          std::optional<int> number, Terminator terminator);
    // A slider's level: "#2.1.0.LED=SET,120\r" (the fade level is set with SET).
    static QByteArray ledLevel(const CKeypadAddress& address, vorel::keypad::LedLevel level,
                               int value);
    // The sun dialog's colour: "#2.1.1.LED.VALUE=240.210.153", no terminator.
    static QByteArray ledColourValue(const CKeypadAddress& address, int red, int green, int blue);

    // "#1.1.1.MOTOR=UP\r", "#1.1.0.MOTOR=RECALL,3\r".
    static QByteArray motor(const CKeypadAddress& address, MotorAction action,
                            std::optional<int> number = std::nullopt);
    // "#1.1.2.MOTOR=GOTO,50.25\r": a position in hundredths of a percent, 0 to 10000.
    static QByteArray motorGoto(const CKeypadAddress& address, int hundredths);

    static QByteArray ledActionWord(LedAction action);
    static QByteArray ledLevelWord(vorel::keypad::LedLevel level);
    static QByteArray motorActionWord(MotorAction action);
    static QByteArray terminatorBytes(Terminator terminator);

private:
    static QByteArray addressed(const CKeypadAddress& address, const char* family);
};
