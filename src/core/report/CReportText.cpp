#include "core/report/CReportText.h"

namespace {

constexpr char kEllipsis[] = "\xe2\x80\xa6";

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

}  // namespace

QByteArray CReportText::cut(const QByteArray& text) {
    if (text.size() <= kLongest) {
        return text;
    }
    qsizetype characters = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!startsCharacter(text[at])) {
            continue;
        }
        if (characters == kLongest - 1) {
            // Only when another character follows the last one that fits.
            for (qsizetype rest = at + 1; rest < text.size(); ++rest) {
                if (startsCharacter(text[rest])) {
                    return text.first(at) + kEllipsis;
                }
            }
            return text;
        }
        ++characters;
    }
    return text;
}
