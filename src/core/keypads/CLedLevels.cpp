#include "core/keypads/CLedLevels.h"

#include <algorithm>

using vorel::keypad::LedLevel;

int CLedLevels::minimum(LedLevel level) {
    return level == LedLevel::Cct ? kCctMin : 0;
}

int CLedLevels::maximum(LedLevel level) {
    return level == LedLevel::Cct ? kCctMax : kLevelMax;
}

int CLedLevels::clamped(LedLevel level, int value) {
    return std::clamp(value, minimum(level), maximum(level));
}

QString CLedLevels::valueText(LedLevel level, int value) {
    if (level == LedLevel::Cct) {
        return QString::number(value);
    }
    // 240 is 100 %.
    constexpr double kStepsPerPercent = 2.4;
    return QString::asprintf("%.0f%%", value / kStepsPerPercent);
}

QString CLedLevels::caption(LedLevel level) {
    switch (level) {
        case LedLevel::Fade:
            return QStringLiteral("FADE");
        case LedLevel::Hue:
            return QStringLiteral("HUE");
        case LedLevel::Saturation:
            return QStringLiteral("SATURATION");
        case LedLevel::Red:
            return QStringLiteral("RED");
        case LedLevel::Green:
            return QStringLiteral("GREEN");
        case LedLevel::Blue:
            return QStringLiteral("BLUE");
        case LedLevel::White:
            return QStringLiteral("WHITE");
        case LedLevel::Sun:
            return QStringLiteral("SUN");
        case LedLevel::Cct:
            return QStringLiteral("CCT");
    }
    return {};
}
