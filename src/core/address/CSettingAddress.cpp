#include "core/address/CSettingAddress.h"

#include <QList>
#include <tuple>

namespace {

bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class Empty { Kept, Skipped };

// The components between the dots.
QList<QByteArrayView> components(QByteArrayView text, Empty empty) {
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (i > start || empty == Empty::Kept) {
                parts.append(text.sliced(start, i - start));
            }
            start = i + 1;
        }
    }
    return parts;
}

}  // namespace

std::optional<CSettingAddress> CSettingAddress::parse(QByteArrayView text) {
    const QList<QByteArrayView> parts = components(text, Empty::Skipped);
    CSettingAddress address;
    qsizetype next = 0;
    if (!parts.isEmpty() && parts.front().size() == 1) {
        address.port = parts.front().toByteArray();
        next = 1;
    }
    if (next >= parts.size()) {
        return std::nullopt;
    }
    const QByteArrayView firstWord = parts[next++];
    if (next < parts.size()) {
        address.group = firstWord.toByteArray();
        address.key = parts[next++].toByteArray();
    } else {
        address.key = firstWord.toByteArray();
    }
    if (next < parts.size()) {
        address.index = parts[next].toByteArray();
    }
    return address;
}

std::optional<CSettingAddress> CSettingAddress::parseWellFormed(QByteArrayView text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QList<QByteArrayView> parts = components(text, Empty::Kept);
    CSettingAddress address;
    qsizetype first = 0;
    // A one-character first component is always the port, as the program reads replies.
    if (parts.front().size() == 1) {
        if (!isUpperLetter(parts.front().front())) {
            return std::nullopt;
        }
        address.port = parts.front().toByteArray();
        first = 1;
    }
    qsizetype last = parts.size();
    if (last - first >= 2 && isNumber(parts.back())) {
        address.index = parts.back().toByteArray();
        --last;
    }
    const qsizetype names = last - first;
    if (names < 1 || names > 2) {
        return std::nullopt;
    }
    for (qsizetype i = first; i < last; ++i) {
        if (!isName(parts[i])) {
            return std::nullopt;
        }
    }
    if (names == 2) {
        address.group = parts[first].toByteArray();
    }
    address.key = parts[last - 1].toByteArray();
    return address;
}

bool CSettingAddress::isName(QByteArrayView text) {
    if (text.isEmpty() || isDigit(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!isUpperLetter(c) && !isDigit(c) && c != '_') {
            return false;
        }
    }
    return true;
}

bool CSettingAddress::isNumber(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 9) {
        return false;
    }
    for (const char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

QByteArray CSettingAddress::text() const {
    QByteArray joined;
    appendText(joined);
    return joined;
}

void CSettingAddress::appendText(QByteArray& out) const {
    bool first = true;
    for (const QByteArray* part : {&port, &group, &key, &index}) {
        if (part->isEmpty()) {
            continue;
        }
        if (!first) {
            out += '.';
        }
        out += *part;
        first = false;
    }
}

QByteArray CSettingAddress::planPath() const {
    QByteArray path;
    if (!port.isEmpty()) {
        path += "/PORT[@P='" + port + "']";
    }
    if (!group.isEmpty()) {
        path += "/" + group;
    }
    path += "/" + key;
    if (!index.isEmpty()) {
        path += "[@A='" + index + "']";
    }
    return path;
}

bool CSettingAddress::operator<(const CSettingAddress& other) const {
    return std::tie(port, group, key, index) <
           std::tie(other.port, other.group, other.key, other.index);
}
