#pragma once

// What the virtual keypads are made of, as the core sees it: keys, what happens to a key,
// the mode of the LED keypads and the levels their sliders set. The windows translate
// their controls into these; everything the keypads decide is decided on these.
namespace vorel::keypad {

// The keys of the wall keypads. Key1 to Key6 are the numbered keys; the motor keypad's
// two key columns have an UP and a DN key each.
enum class Key {
    Key1 = 1,
    Key2,
    Key3,
    Key4,
    Key5,
    Key6,
    Preset,
    Toolbox,
    On,
    Off,
    Star,
    LeftUp,
    RightUp,
    LeftDown,
    RightDown,
};

// 1 to 6 for a numbered key, 0 for any other.
constexpr int keyNumber(Key key) {
    const int number = static_cast<int>(key);
    return number >= 1 && number <= 6 ? number : 0;
}

// What a press-and-hold key reports: pressed, let go before five seconds (short) or after
// (long), five seconds reached while still held, and a double click.
enum class KeyEvent { Pressed, ShortRelease, LongRelease, Held, DoubleClick };

// The LED keypads' mode: in Toolbox the numbered keys ramp, in Preset they recall and store.
enum class Mode { Toolbox = 5, Preset = 6 };

// The sliders of the LED keypad, each setting one level of the light.
enum class LedLevel { Fade, Hue, Saturation, Red, Green, Blue, White, Sun, Cct };

}  // namespace vorel::keypad
