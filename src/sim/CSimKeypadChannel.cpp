#include "sim/CSimKeypadChannel.h"

#include "core/address/CSettingAddress.h"
#include "sim/CSimReplies.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<int> number(QByteArrayView text) {
    if (!CSettingAddress::isNumber(text)) {
        return std::nullopt;
    }
    return text.toInt();
}

// "RECALL,1" → action RECALL with the arguments {1}; nothing when an argument is not a
// number.
std::optional<QList<int>> numbersAfterComma(QByteArrayView value) {
    QList<int> numbers;
    const qsizetype comma = value.indexOf(',');
    if (comma < 0) {
        return numbers;
    }
    const auto parsed = number(value.sliced(comma + 1));
    if (!parsed) {
        return std::nullopt;
    }
    numbers.append(*parsed);
    return numbers;
}

QByteArrayView actionOf(QByteArrayView value) {
    const qsizetype comma = value.indexOf(',');
    return comma < 0 ? value : value.first(comma);
}

// "whole.hundredths" → hundredths of a percent; "50" and "50.25" both read.
std::optional<int> motorPosition(QByteArrayView text) {
    const qsizetype dot = text.indexOf('.');
    const auto whole = number(dot < 0 ? text : text.first(dot));
    if (!whole) {
        return std::nullopt;
    }
    int hundredths = 0;
    if (dot >= 0) {
        const QByteArrayView fraction = text.sliced(dot + 1);
        const auto parsed = number(fraction);
        if (!parsed || fraction.size() > 2) {
            return std::nullopt;
        }
        hundredths = fraction.size() == 1 ? *parsed * 10 : *parsed;
    }
    return *whole * 100 + hundredths;
}

int clampLed(int value) {
    return std::clamp(value, 0, CSimKeypadChannel::kLedMax);
}

}  // namespace

CSimKeypadChannel::CSimKeypadChannel(Kind kind, CSimKeypadAddress address, QByteArray port)
    : m_kind(kind), m_address(address), m_port(std::move(port)) {}

void CSimKeypadChannel::setMotorPreset(int number, int percent) {
    m_motorPresets[number] = std::clamp(percent * 100, 0, kPositionMax);
}

QList<QByteArray> CSimKeypadChannel::handle(QByteArrayView family, QByteArrayView value) {
    if (m_kind == Kind::Motor) {
        if (family != "MOTOR") {
            return {};
        }
        const qsizetype comma = value.indexOf(',');
        return handleMotor(actionOf(value), comma < 0 ? QByteArrayView() : value.sliced(comma + 1));
    }
    if (family == "LED.VALUE") {
        QList<int> numbers;
        for (const QByteArray& part : value.toByteArray().split('.')) {
            const auto parsed = number(part);
            if (!parsed) {
                return {};
            }
            numbers.append(*parsed);
        }
        return handleLedValue(numbers);
    }
    if (family != "LED") {
        return {};
    }
    const auto arguments = numbersAfterComma(value);
    if (!arguments) {
        return {};
    }
    return handleLed(actionOf(value), *arguments);
}

QList<QByteArray> CSimKeypadChannel::handleLed(QByteArrayView action, const QList<int>& arguments) {
    struct Level {
        const char* action;
        int CSimKeypadChannel::*level;
        int step;  // a ramp's step; 0 for a command that sets the level to its argument
        QByteArray (CSimKeypadChannel::*line)() const;
    };
    using C = CSimKeypadChannel;
    static const Level kLevels[] = {
        {"FADE_UP", &C::m_fade, kRampStep, &C::colorLine},
        {"FADE_DOWN", &C::m_fade, -kRampStep, &C::colorLine},
        {"SAT_UP", &C::m_saturation, kRampStep, &C::colorLine},
        {"SAT_DOWN", &C::m_saturation, -kRampStep, &C::colorLine},
        {"HUE_UP", &C::m_hue, kRampStep, &C::colorLine},
        {"HUE_DOWN", &C::m_hue, -kRampStep, &C::colorLine},
        {"SET", &C::m_fade, 0, &C::colorLine},
        {"HUE", &C::m_hue, 0, &C::colorLine},
        {"SAT", &C::m_saturation, 0, &C::colorLine},
        {"RED", &C::m_red, 0, &C::valueLine},
        {"GREEN", &C::m_green, 0, &C::valueLine},
        {"BLUE", &C::m_blue, 0, &C::valueLine},
        {"WHITE", &C::m_white, 0, &C::valueLine},
        {"SUN", &C::m_sun, 0, &C::statusLine},
    };
    const bool hasArgument = !arguments.isEmpty();
    const int argument = hasArgument ? arguments.front() : 0;
    for (const Level& entry : kLevels) {
        if (action != entry.action || hasArgument != (entry.step == 0)) {
            continue;
        }
        int& level = this->*entry.level;
        level = clampLed(hasArgument ? argument : level + entry.step);
        if (entry.level == &C::m_fade && m_fade > 0) {
            m_lastFade = m_fade;
        }
        return {(this->*entry.line)()};
    }
    if (!hasArgument) {
        return handleLedSwitch(action);
    }
    if (action == "CCT") {
        m_cct = std::clamp(argument, kCctMin, kCctMax);
        return {statusLine()};
    }
    if (action == "STORE") {
        m_ledScenes[argument] = {m_hue, m_saturation, m_fade, m_red, m_green, m_blue, m_white};
        return {colorLine()};
    }
    if (action == "RECALL") {
        if (const auto scene = m_ledScenes.find(argument); scene != m_ledScenes.end()) {
            const LedScene& stored = *scene;
            m_hue = stored.hue;
            m_saturation = stored.saturation;
            m_fade = stored.fade;
            m_red = stored.red;
            m_green = stored.green;
            m_blue = stored.blue;
            m_white = stored.white;
        }
        return {colorLine(), valueLine()};
    }
    if (action == "EFFECT") {
        return {colorLine()};
    }
    return {};
}

QList<QByteArray> CSimKeypadChannel::handleLedSwitch(QByteArrayView action) {
    if (action == "ON") {
        m_fade = m_lastFade;
    } else if (action == "OFF") {
        m_fade = 0;
    } else if (action != "STOP") {
        return {};
    }
    return {colorLine()};
}

QList<QByteArray> CSimKeypadChannel::handleLedValue(const QList<int>& numbers) {
    if (numbers.size() < 3 || numbers.size() > 4) {
        return {};
    }
    m_red = std::clamp(numbers[0], 0, 255);
    m_green = std::clamp(numbers[1], 0, 255);
    m_blue = std::clamp(numbers[2], 0, 255);
    if (numbers.size() == 4) {
        m_white = std::clamp(numbers[3], 0, 255);
    }
    return {valueLine()};
}

QList<QByteArray> CSimKeypadChannel::handleMotor(QByteArrayView action, QByteArrayView argument) {
    if (action == "GOTO") {
        const auto position = motorPosition(argument);
        if (!position) {
            return {};
        }
        m_position = std::clamp(*position, 0, kPositionMax);
        return {positionLine()};
    }
    if (!argument.isEmpty()) {
        const auto preset = number(argument);
        if (!preset) {
            return {};
        }
        if (action == "RECALL") {
            m_position = m_motorPresets.value(*preset, m_position);
            return {positionLine()};
        }
        if (action == "STORE") {
            m_motorPresets[*preset] = m_position;
            return {positionLine()};
        }
        return {};
    }
    if (action == "UP" || action == "RETRACT") {
        m_position = 0;
    } else if (action == "DOWN") {
        m_position = kPositionMax;
    } else if (action != "STOP") {
        return {};
    }
    return {positionLine()};
}

QByteArray CSimKeypadChannel::colorLine() const {
    return CSimReplies::ledColor(m_address, m_hue, m_saturation, m_fade);
}

QByteArray CSimKeypadChannel::valueLine() const {
    return CSimReplies::ledValue(m_address, m_red, m_green, m_blue, m_white);
}

QByteArray CSimKeypadChannel::statusLine() const {
    return CSimReplies::ledStatus(m_address, m_sun, m_cct);
}

QByteArray CSimKeypadChannel::positionLine() const {
    return CSimReplies::motorPosition(m_address, m_position);
}
