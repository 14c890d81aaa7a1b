#include "core/keypads/CLedStatus.h"

#include "core/keypads/CLedLevels.h"
#include "core/keypads/CStatusValue.h"
#include "core/protocol/CKeypadNumber.h"

#include <initializer_list>

using vorel::keypad::LedLevel;

namespace {

struct Marker {
    const char* text;
    std::initializer_list<LedLevel> levels;
};

}  // namespace

bool CLedStatus::isFor(const CKeypadAddress& reported, const CKeypadAddress& own) {
    return reported.zone == own.zone && reported.group == own.group &&
           (reported.node == own.node || own.node == 0);
}

QList<CLedStatus::Update> CLedStatus::updates(QByteArrayView line, const CKeypadAddress& own) {
    if (!isFor(CKeypadAddress::ofStatusLine(line), own)) {
        return {};
    }
    static const Marker kMarkers[] = {
        {"VALUE=", {LedLevel::Red, LedLevel::Green, LedLevel::Blue, LedLevel::White}},
        {"COLOR=", {LedLevel::Hue, LedLevel::Saturation, LedLevel::Fade}},
        {"STATUS=", {LedLevel::Sun, LedLevel::Cct}},
    };
    for (const Marker& marker : kMarkers) {
        const QByteArrayView name(marker.text);
        const qsizetype at = line.indexOf(name);
        if (at < 0) {
            continue;
        }
        const QList<QByteArrayView> numbers = CStatusValue::parts(line.sliced(at + name.size()));
        QList<Update> updates;
        auto level = marker.levels.begin();
        for (qsizetype i = 0; i < numbers.size() && level != marker.levels.end(); ++i, ++level) {
            updates.append(
                {*level, CLedLevels::clamped(*level, CKeypadNumber::leading(numbers[i]))});
        }
        return updates;
    }
    return {};
}
