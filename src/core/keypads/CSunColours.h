#pragma once

#include <array>

// The sun dialog's colours. The colour table gives, for every sun level from night (0) to
// full daylight (240), the red, green and blue sent to an RGB light: straight runs between
// seven key colours, 40 levels each. The strip table is the scale painted beside the
// slider, a smoother night-to-day ramp of its own.
class CSunColours {
public:
    static constexpr int kTopLevel = 240;
    static constexpr int kLevelsPerSegment = 40;

    struct Rgb {
        int red = 0;
        int green = 0;
        int blue = 0;

        friend bool operator==(const Rgb&, const Rgb&) = default;
    };

    using Table = std::array<Rgb, kTopLevel + 1>;

    static const std::array<Rgb, 7>& keyColours();
    static const Table& colourTable();
    static const Table& stripTable();

    // The slider's position 0 is the top, full daylight.
    static constexpr int levelOf(int position) { return kTopLevel - position; }

    // Band i of the strip (0 at the top) starts at top + height * i / 241 and reaches the
    // next band's start, but is at least two pixels high.
    struct Band {
        int top = 0;
        int height = 0;
    };
    static Band band(int index, int stripTop, int stripHeight);

private:
    static Table buildColourTable();
    static Table buildStripTable();
};
