#include "core/keypads/CSunColours.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kBands = CSunColours::kTopLevel + 1;
constexpr int kMinimumBandHeight = 2;

// The rows of the strip that are fixed; the rows between them run straight from one to
// the next.
constexpr std::array<std::pair<int, CSunColours::Rgb>, 9> kStripRows{{
    {0, {0, 0, 0}},
    {1, {2, 0, 9}},
    {40, {111, 11, 126}},
    {80, {202, 44, 84}},
    {120, {228, 116, 33}},
    {160, {239, 189, 44}},
    {200, {247, 235, 132}},
    {239, {255, 254, 248}},
    {240, {255, 255, 255}},
}};

int between(int from, int to, int step, int steps) {
    // Rounded to the nearest, so the ramp is even in both directions.
    const int span = (to - from) * step;
    return from + (span >= 0 ? (span + steps / 2) / steps : -((-span + steps / 2) / steps));
}

}  // namespace

const std::array<CSunColours::Rgb, 7>& CSunColours::keyColours() {
    static constexpr std::array<Rgb, 7> kKeys{{
        {0, 0, 0},
        {49, 32, 121},
        {189, 62, 49},
        {235, 108, 12},
        {240, 164, 31},
        {240, 190, 50},
        {240, 210, 153},
    }};
    return kKeys;
}

const CSunColours::Table& CSunColours::colourTable() {
    static const Table table = buildColourTable();
    return table;
}

const CSunColours::Table& CSunColours::stripTable() {
    static const Table table = buildStripTable();
    return table;
}

CSunColours::Table CSunColours::buildColourTable() {
    const auto& keys = keyColours();
    Table table;
    for (int segment = 0; segment + 1 < static_cast<int>(keys.size()); ++segment) {
        const Rgb& from = keys[segment];
        const Rgb& to = keys[segment + 1];
        for (int step = 0; step < kLevelsPerSegment; ++step) {
            // Integer division truncates toward zero, so a falling component stays nearer
            // the segment's start: that is the scale the devices were tuned to.
            table[segment * kLevelsPerSegment + step] = {
                (to.red - from.red) * step / kLevelsPerSegment + from.red,
                (to.green - from.green) * step / kLevelsPerSegment + from.green,
                (to.blue - from.blue) * step / kLevelsPerSegment + from.blue};
        }
    }
    table[kTopLevel] = keys.back();
    return table;
}

CSunColours::Table CSunColours::buildStripTable() {
    Table table;
    for (size_t row = 0; row + 1 < kStripRows.size(); ++row) {
        const auto& [fromIndex, from] = kStripRows[row];
        const auto& [toIndex, to] = kStripRows[row + 1];
        const int steps = toIndex - fromIndex;
        for (int step = 0; step < steps; ++step) {
            table[fromIndex + step] = {between(from.red, to.red, step, steps),
                                       between(from.green, to.green, step, steps),
                                       between(from.blue, to.blue, step, steps)};
        }
    }
    table[kTopLevel] = kStripRows.back().second;
    return table;
}

CSunColours::Band CSunColours::band(int index, int stripTop, int stripHeight) {
    const auto startOf = [&](int i) {
        return stripTop + static_cast<int>(static_cast<long long>(stripHeight) * i / kBands);
    };
    const int top = startOf(index);
    return {top, std::max(kMinimumBandHeight, startOf(index + 1) - top)};
}
