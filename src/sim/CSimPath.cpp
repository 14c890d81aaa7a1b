#include "CSimPath.h"

#include <QList>

namespace {

bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool CSimPath::isName(QByteArrayView text) {
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

bool CSimPath::isNumber(QByteArrayView text) {
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

std::optional<CSimPath> CSimPath::parse(QByteArrayView text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            parts.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    CSimPath path;
    qsizetype first = 0;
    // A one-character first component is always the port, as the program reads replies.
    if (parts.front().size() == 1) {
        if (!isUpperLetter(parts.front().front())) {
            return std::nullopt;
        }
        path.port = parts.front().toByteArray();
        first = 1;
    }
    qsizetype last = parts.size();
    if (last - first >= 2 && isNumber(parts.back())) {
        path.index = parts.back().toByteArray();
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
        path.group = parts[first].toByteArray();
    }
    path.key = parts[last - 1].toByteArray();
    return path;
}

QByteArray CSimPath::text() const {
    QByteArray joined;
    for (const QByteArray* part : {&port, &group, &key, &index}) {
        if (part->isEmpty()) {
            continue;
        }
        if (!joined.isEmpty()) {
            joined.append('.');
        }
        joined.append(*part);
    }
    return joined;
}

bool CSimPath::answers(const CSimPath& pattern) const {
    return sameKey(pattern) && (pattern.index.isEmpty() || pattern.index == index);
}
