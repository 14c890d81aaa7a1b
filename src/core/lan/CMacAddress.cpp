#include "core/lan/CMacAddress.h"

#include <algorithm>
#include <cstdio>

namespace {

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<CMacAddress> CMacAddress::fromText(QByteArrayView text) {
    // Six pairs and five separators.
    constexpr qsizetype kTextLength = kSize * 3 - 1;
    if (text.size() != kTextLength) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    std::array<quint8, kSize> bytes{};
    for (int n = 0; n < kSize; ++n) {
        const qsizetype at = static_cast<qsizetype>(n) * 3;
        const int high = hexValue(text[at]);
        const int low = hexValue(text[at + 1]);
        if (high < 0 || low < 0 || (n + 1 < kSize && text[at + 2] != separator)) {
            return std::nullopt;
        }
        bytes[static_cast<size_t>(n)] = static_cast<quint8>(high * 16 + low);
    }
    return CMacAddress(bytes);
}

QByteArray CMacAddress::bracketedText() const {
    char text[24] = {};
    std::snprintf(text, sizeof text, "[%02X:%02X:%02X:%02X:%02X:%02X]", m_bytes[0], m_bytes[1],
                  m_bytes[2], m_bytes[3], m_bytes[4], m_bytes[5]);
    return QByteArray(text);
}

bool CMacAddress::isZero() const {
    return std::all_of(m_bytes.begin(), m_bytes.end(), [](quint8 byte) { return byte == 0; });
}
