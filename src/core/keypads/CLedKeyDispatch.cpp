#include "core/keypads/CLedKeyDispatch.h"

#include "core/protocol/CKeypadCommands.h"

#include <array>

using namespace vorel::keypad;
using LedAction = CKeypadCommands::LedAction;
using Terminator = CKeypadCommands::Terminator;

namespace {

enum class AnyMode { Toolbox, Preset, Either };
// Which keys a row is for: one key, or every numbered key.
enum class Keys { One, Numbered };
enum class Events { Pressed, Released, ShortRelease, LongRelease, Held };
enum class Number { None, Key, One };
enum class Effect { Send, Beep, ToPreset, ToToolbox };

struct Row {
    AnyMode mode;
    Keys keys;
    Key key;
    Events events;
    Effect effect;
    LedAction action;
    Number number;
    Terminator terminator;
};

// The first row that fits decides; an event that no row fits does nothing.
constexpr std::array kRows{
    // Toolbox: a numbered key ramps while held and stops when let go.
    Row{AnyMode::Toolbox, Keys::One, Key::Key1, Events::Pressed, Effect::Send, LedAction::FadeUp,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key2, Events::Pressed, Effect::Send, LedAction::SatUp,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key3, Events::Pressed, Effect::Send, LedAction::HueUp,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key4, Events::Pressed, Effect::Send, LedAction::FadeDown,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key5, Events::Pressed, Effect::Send, LedAction::SatDown,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key6, Events::Pressed, Effect::Send, LedAction::HueDown,
        Number::None, Terminator::Cr},
    Row{AnyMode::Toolbox, Keys::One, Key::Key3, Events::ShortRelease, Effect::Send, LedAction::Stop,
        Number::None, Terminator::CrLf},
    Row{AnyMode::Toolbox, Keys::Numbered, Key::Key1, Events::Released, Effect::Send,
        LedAction::Stop, Number::None, Terminator::Cr},
    // Preset: a short press recalls the key's preset, five seconds store it.
    Row{AnyMode::Preset, Keys::Numbered, Key::Key1, Events::ShortRelease, Effect::Send,
        LedAction::Recall, Number::Key, Terminator::CrLf},
    Row{AnyMode::Preset, Keys::Numbered, Key::Key1, Events::LongRelease, Effect::Send,
        LedAction::Store, Number::Key, Terminator::Cr},
    Row{AnyMode::Preset, Keys::Numbered, Key::Key1, Events::Held, Effect::Beep, LedAction::Stop,
        Number::None, Terminator::None},
    // In either mode.
    Row{AnyMode::Either, Keys::One, Key::Preset, Events::Released, Effect::ToPreset,
        LedAction::Stop, Number::None, Terminator::None},
    Row{AnyMode::Either, Keys::One, Key::Toolbox, Events::Released, Effect::ToToolbox,
        LedAction::Stop, Number::None, Terminator::None},
    Row{AnyMode::Either, Keys::One, Key::On, Events::Released, Effect::Send, LedAction::On,
        Number::None, Terminator::Cr},
    Row{AnyMode::Either, Keys::One, Key::Off, Events::Released, Effect::Send, LedAction::Off,
        Number::None, Terminator::Cr},
    Row{AnyMode::Either, Keys::One, Key::Star, Events::Released, Effect::Send, LedAction::Effect,
        Number::One, Terminator::Cr},
};

bool fits(AnyMode rowMode, Mode mode) {
    return rowMode == AnyMode::Either || (rowMode == AnyMode::Toolbox) == (mode == Mode::Toolbox);
}

bool fits(const Row& row, Key key) {
    return row.keys == Keys::Numbered ? keyNumber(key) != 0 : row.key == key;
}

bool fits(Events events, KeyEvent event) {
    switch (events) {
        case Events::Pressed:
            return event == KeyEvent::Pressed;
        case Events::Released:
            return event == KeyEvent::ShortRelease || event == KeyEvent::LongRelease;
        case Events::ShortRelease:
            return event == KeyEvent::ShortRelease;
        case Events::LongRelease:
            return event == KeyEvent::LongRelease;
        case Events::Held:
            return event == KeyEvent::Held;
    }
    return false;
}

std::optional<int> numberOf(Number number, Key key) {
    switch (number) {
        case Number::None:
            return std::nullopt;
        case Number::Key:
            return keyNumber(key);
        case Number::One:
            return 1;
    }
    return std::nullopt;
}

}  // namespace

CLedKeyDispatch::Outcome CLedKeyDispatch::dispatch(Endings endings, Mode mode, Key key,
                                                   KeyEvent event, const CKeypadAddress& address) {
    for (const Row& row : kRows) {
        if (!fits(row.mode, mode) || !fits(row, key) || !fits(row.events, event)) {
            continue;
        }
        Outcome outcome;
        switch (row.effect) {
            case Effect::Send:
                outcome.command = CKeypadCommands::led(
                    address, row.action, numberOf(row.number, key),
                    endings == Endings::LedKeypad ? row.terminator : Terminator::None);
                break;
            case Effect::Beep:
                outcome.beep = true;
                break;
            case Effect::ToPreset:
                outcome.mode = Mode::Preset;
                break;
            case Effect::ToToolbox:
                outcome.mode = Mode::Toolbox;
                break;
        }
        return outcome;
    }
    return {};
}
