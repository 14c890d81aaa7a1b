#include "core/keypads/CStatusValue.h"

QByteArrayView CStatusValue::value(QByteArrayView afterEquals) {
    for (qsizetype i = 0; i < afterEquals.size(); ++i) {
        const char c = afterEquals[i];
        if (c == ';' || c == '\r' || c == '\n') {
            return afterEquals.first(i);
        }
    }
    return afterEquals;
}

QList<QByteArrayView> CStatusValue::parts(QByteArrayView afterEquals) {
    QByteArrayView rest = value(afterEquals);
    QList<QByteArrayView> parts;
    if (rest.isEmpty()) {
        return parts;
    }
    for (;;) {
        const qsizetype dot = rest.indexOf('.');
        if (dot < 0) {
            parts.append(rest);
            return parts;
        }
        parts.append(rest.first(dot));
        rest = rest.sliced(dot + 1);
    }
}
