#include "core/keypads/CKeypadCommandLine.h"

#include "core/keypads/CLedLevels.h"
#include "core/keypads/CSunColours.h"
#include "core/protocol/CKeypadAddress.h"
#include "core/protocol/CKeypadCommands.h"
#include "core/protocol/CKeypadNumber.h"

#include <optional>

using vorel::keypad::LedLevel;
using LedAction = CKeypadCommands::LedAction;
using MotorAction = CKeypadCommands::MotorAction;
using Terminator = CKeypadCommands::Terminator;
using Result = CKeypadCommandLine::Result;

namespace {

constexpr int kLargestPreset = 255;

Result refused(const QString& error) {
    return {{}, error};
}

std::optional<CKeypadAddress> addressOf(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    return CKeypadAddress::fromParts(parts[0].toLatin1(), parts[1].toLatin1(), parts[2].toLatin1());
}

std::optional<int> numberIn(const QString& text, int smallest, int largest) {
    const auto number = CKeypadNumber::exact(text.toLatin1(), largest);
    if (!number || *number < smallest) {
        return std::nullopt;
    }
    return number;
}

// "50", "50.2", "50.25": hundredths of a percent, at most 100.00.
std::optional<int> positionIn(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 2 || (parts.size() == 2 && (parts[1].isEmpty() || parts[1].size() > 2))) {
        return std::nullopt;
    }
    const auto whole = numberIn(parts[0], 0, 100);
    const auto fraction = parts.size() == 2 ? numberIn(parts[1], 0, 99) : std::optional<int>(0);
    if (!whole || !fraction) {
        return std::nullopt;
    }
    const int hundredths =
        *whole * 100 + (parts.size() == 2 && parts[1].size() == 1 ? *fraction * 10 : *fraction);
    if (hundredths > CKeypadCommands::kLargestPosition) {
        return std::nullopt;
    }
    return hundredths;
}

struct LedWord {
    const char* word;
    LedAction action;
    Terminator terminator;
};

// The words without a number, each ended as the LED keypad ends it.
constexpr LedWord kLedWords[] = {
    {"on", LedAction::On, Terminator::Cr},
    {"off", LedAction::Off, Terminator::Cr},
    {"stop", LedAction::Stop, Terminator::Cr},
    {"fade-up", LedAction::FadeUp, Terminator::Cr},
    {"fade-down", LedAction::FadeDown, Terminator::Cr},
    {"sat-up", LedAction::SatUp, Terminator::Cr},
    {"sat-down", LedAction::SatDown, Terminator::Cr},
    {"hue-up", LedAction::HueUp, Terminator::Cr},
    {"hue-down", LedAction::HueDown, Terminator::Cr},
};

// The words with a preset or effect number: recall ends as a short press in Preset mode,
// store as a long one.
constexpr LedWord kLedNumberWords[] = {
    {"recall", LedAction::Recall, Terminator::CrLf},
    {"store", LedAction::Store, Terminator::Cr},
    {"effect", LedAction::Effect, Terminator::Cr},
};

struct LevelWord {
    const char* word;
    LedLevel level;
};

constexpr LevelWord kLevelWords[] = {
    {"set", LedLevel::Fade},    {"hue", LedLevel::Hue},     {"sat", LedLevel::Saturation},
    {"red", LedLevel::Red},     {"green", LedLevel::Green}, {"blue", LedLevel::Blue},
    {"white", LedLevel::White}, {"sun", LedLevel::Sun},     {"cct", LedLevel::Cct},
};

Result ledCommand(const CKeypadAddress& address, const QString& action, const QString& number,
                  bool hasNumber) {
    for (const LedWord& word : kLedWords) {
        if (action == QLatin1String(word.word)) {
            return hasNumber ? refused(QStringLiteral("'%1' takes no number").arg(action))
                             : Result{CKeypadCommands::led(address, word.action, std::nullopt,
                                                           word.terminator),
                                      {}};
        }
    }
    for (const LedWord& word : kLedNumberWords) {
        if (action == QLatin1String(word.word)) {
            const auto preset = numberIn(number, 1, kLargestPreset);
            return preset ? Result{CKeypadCommands::led(address, word.action, *preset,
                                                        word.terminator),
                                   {}}
                          : refused(QStringLiteral("'%1' needs a number from 1 to %2")
                                        .arg(action)
                                        .arg(kLargestPreset));
        }
    }
    for (const LevelWord& word : kLevelWords) {
        if (action == QLatin1String(word.word)) {
            const int smallest = CLedLevels::minimum(word.level);
            const int largest = CLedLevels::maximum(word.level);
            const auto level = numberIn(number, smallest, largest);
            return level ? Result{CKeypadCommands::ledLevel(address, word.level, *level), {}}
                         : refused(QStringLiteral("'%1' needs a number from %2 to %3")
                                       .arg(action)
                                       .arg(smallest)
                                       .arg(largest));
        }
    }
    return refused(QStringLiteral("unknown keypad action '%1'").arg(action));
}

Result motorCommand(const CKeypadAddress& address, const QString& action, const QString& number,
                    bool hasNumber) {
    struct MotorWord {
        const char* word;
        MotorAction action;
    };
    static constexpr MotorWord kWords[] = {{"up", MotorAction::Up},
                                           {"down", MotorAction::Down},
                                           {"stop", MotorAction::Stop},
                                           {"retract", MotorAction::Retract}};
    for (const MotorWord& word : kWords) {
        if (action == QLatin1String(word.word)) {
            return hasNumber ? refused(QStringLiteral("'%1' takes no number").arg(action))
                             : Result{CKeypadCommands::motor(address, word.action), {}};
        }
    }
    if (action == QLatin1String("recall") || action == QLatin1String("store")) {
        const auto preset = numberIn(number, 1, kLargestPreset);
        const MotorAction what =
            action == QLatin1String("recall") ? MotorAction::Recall : MotorAction::Store;
        return preset ? Result{CKeypadCommands::motor(address, what, *preset), {}}
                      : refused(QStringLiteral("'%1' needs a number from 1 to %2")
                                    .arg(action)
                                    .arg(kLargestPreset));
    }
    if (action == QLatin1String("goto")) {
        const auto position = positionIn(number);
        return position ? Result{CKeypadCommands::motorGoto(address, *position), {}}
                        : refused(QStringLiteral("'goto' needs a position from 0 to 100, "
                                                 "with at most two decimals"));
    }
    return refused(QStringLiteral("unknown motor action '%1'").arg(action));
}

Result sunCommand(const CKeypadAddress& address, const QString& number) {
    const auto level = numberIn(number, 0, CSunColours::kTopLevel);
    if (!level) {
        return refused(QStringLiteral("'sun' needs a level from 0 to 240"));
    }
    const CSunColours::Rgb& colour = CSunColours::colourTable().at(*level);
    return {CKeypadCommands::ledColourValue(address, colour.red, colour.green, colour.blue), {}};
}

}  // namespace

Result CKeypadCommandLine::build(const QStringList& words) {
    QStringList rest = words;
    const QString family = !rest.isEmpty() && (rest.front() == QLatin1String("motor") ||
                                               rest.front() == QLatin1String("sun"))
                               ? rest.takeFirst()
                               : QString();
    if (rest.size() < 2 || rest.size() > (family == QLatin1String("sun") ? 2 : 3)) {
        return refused(QStringLiteral("expected: %1").arg(usage()));
    }
    const auto address = addressOf(rest[0]);
    if (!address) {
        return refused(QStringLiteral("'%1' is no keypad address: three numbers from 0 to 255, "
                                      "as in 2.1.0")
                           .arg(rest[0]));
    }
    if (family == QLatin1String("sun")) {
        return sunCommand(*address, rest[1]);
    }
    const bool hasNumber = rest.size() == 3;
    const QString number = hasNumber ? rest[2] : QString();
    return family == QLatin1String("motor") ? motorCommand(*address, rest[1], number, hasNumber)
                                            : ledCommand(*address, rest[1], number, hasNumber);
}

QString CKeypadCommandLine::usage() {
    return QStringLiteral(
        "ZONE.GROUP.NODE on|off|stop|fade-up|fade-down|sat-up|sat-down|hue-up|hue-down, "
        "ZONE.GROUP.NODE recall|store|effect N, "
        "ZONE.GROUP.NODE set|hue|sat|red|green|blue|white|sun|cct LEVEL, "
        "motor ZONE.GROUP.NODE up|down|stop|retract|recall N|store N|goto PERCENT, "
        "sun ZONE.GROUP.NODE LEVEL");
}
