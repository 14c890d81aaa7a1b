#include "core/protocol/CKeypadNumber.h"

#include <QtGlobal>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int CKeypadNumber::leading(QByteArrayView text) {
    return leadingIfAny(text).value_or(0);
}

std::optional<int> CKeypadNumber::leadingIfAny(QByteArrayView text) {
    qsizetype at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size() || !isDigit(text[at])) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        value = qMin<qint64>(value * 10 + (text[at] - '0'), kLargest);
    }
    return static_cast<int>(negative ? -value : value);
}

std::optional<int> CKeypadNumber::exact(QByteArrayView text, int max) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > max) {
            return std::nullopt;
        }
    }
    return static_cast<int>(value);
}
