#include "core/protocol/CKeypadCommands.h"

#include <QString>
#include <algorithm>

using vorel::keypad::LedLevel;

QByteArray CKeypadCommands::addressed(const CKeypadAddress& address, const char* family) {
    return '#' + address.text() + '.' + family;
}

QByteArray CKeypadCommands::led(const CKeypadAddress& address, LedAction action,
                                std::optional<int> number, Terminator terminator) {
    QByteArray text = addressed(address, "LED=") + ledActionWord(action);
    if (number) {
        text += ',' + QByteArray::number(*number);
    }
    return text + terminatorBytes(terminator);
}

QByteArray CKeypadCommands::ledLevel(const CKeypadAddress& address, LedLevel level, int value) {
    return addressed(address, "LED=") + ledLevelWord(level) + ',' + QByteArray::number(value) +
           terminatorBytes(Terminator::Cr);
}

QByteArray CKeypadCommands::ledColourValue(const CKeypadAddress& address, int red, int green,
                                           int blue) {
    return addressed(address, "LED.VALUE=") + QByteArray::number(red) + '.' +
           QByteArray::number(green) + '.' + QByteArray::number(blue);
}

QByteArray CKeypadCommands::motor(const CKeypadAddress& address, MotorAction action,
                                  std::optional<int> number) {
    QByteArray text = addressed(address, "MOTOR=") + motorActionWord(action);
    if (number) {
        text += ',' + QByteArray::number(*number);
    }
    return text + terminatorBytes(Terminator::Cr);
}

QByteArray CKeypadCommands::motorGoto(const CKeypadAddress& address, int hundredths) {
    hundredths = std::clamp(hundredths, 0, kLargestPosition);
    return addressed(address, "MOTOR=GOTO,") +
           QString::asprintf("%d.%02d", hundredths / 100, hundredths % 100).toLatin1() +
           terminatorBytes(Terminator::Cr);
}

QByteArray CKeypadCommands::ledActionWord(LedAction action) {
    switch (action) {
        case LedAction::FadeUp:
            return "FADE_UP";
        case LedAction::SatUp:
            return "SAT_UP";
        case LedAction::HueUp:
            return "HUE_UP";
        case LedAction::FadeDown:
            return "FADE_DOWN";
        case LedAction::SatDown:
            return "SAT_DOWN";
        case LedAction::HueDown:
            return "HUE_DOWN";
        case LedAction::Stop:
            return "STOP";
        case LedAction::Recall:
            return "RECALL";
        case LedAction::Store:
            return "STORE";
        case LedAction::On:
            return "ON";
        case LedAction::Off:
            return "OFF";
        case LedAction::Effect:
            return "EFFECT";
    }
    return {};
}

QByteArray CKeypadCommands::ledLevelWord(LedLevel level) {
    switch (level) {
        case LedLevel::Fade:
            return "SET";
        case LedLevel::Hue:
            return "HUE";
        case LedLevel::Saturation:
            return "SAT";
        case LedLevel::Red:
            return "RED";
        case LedLevel::Green:
            return "GREEN";
        case LedLevel::Blue:
            return "BLUE";
        case LedLevel::White:
            return "WHITE";
        case LedLevel::Sun:
            return "SUN";
        case LedLevel::Cct:
            return "CCT";
    }
    return {};
}

QByteArray CKeypadCommands::motorActionWord(MotorAction action) {
    switch (action) {
        case MotorAction::Up:
            return "UP";
        case MotorAction::Down:
            return "DOWN";
        case MotorAction::Stop:
            return "STOP";
        case MotorAction::Retract:
            return "RETRACT";
        case MotorAction::Recall:
            return "RECALL";
        case MotorAction::Store:
            return "STORE";
    }
    return {};
}

QByteArray CKeypadCommands::terminatorBytes(Terminator terminator) {
    switch (terminator) {
        case Terminator::None:
            return {};
        case Terminator::Cr:
            return "\r";
        case Terminator::CrLf:
            return "\r\n";
    }
    return {};
}
