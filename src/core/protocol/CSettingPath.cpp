#include "CSettingPath.h"

#include <QList>

namespace {

QList<QByteArrayView> nonEmptyComponents(QByteArrayView path) {
    QList<QByteArrayView> components;
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype dot = path.indexOf('.', start);
        if (dot < 0) {
            dot = path.size();
        }
        if (dot > start) {
            components.append(path.sliced(start, dot - start));
        }
        start = dot + 1;
    }
    return components;
}

}  // namespace

std::optional<CSettingPath> CSettingPath::parse(QByteArrayView text) {
    const QList<QByteArrayView> components = nonEmptyComponents(text);
    CSettingPath path;
    qsizetype next = 0;
    if (!components.isEmpty() && components.front().size() == 1) {
        path.port = components.front().toByteArray();
        next = 1;
    }
    if (next >= components.size()) {
        return std::nullopt;
    }
    const QByteArrayView firstWord = components[next++];
    if (next < components.size()) {
        path.group = firstWord.toByteArray();
        path.key = components[next++].toByteArray();
    } else {
        path.key = firstWord.toByteArray();
    }
    if (next < components.size()) {
        path.index = components[next].toByteArray();
    }
    return path;
}

QByteArray CSettingPath::text() const {
    QByteArray joined;
    for (const QByteArray* part : {&port, &group, &key, &index}) {
        if (!part->isEmpty()) {
            if (!joined.isEmpty()) {
                joined += '.';
            }
            joined += *part;
        }
    }
    return joined;
}
