#include "sim/CSimFaults.h"

#include "sim/CSimReplies.h"

namespace {

QByteArray withoutLineEnd(QByteArrayView reply) {
    QByteArray text = reply.toByteArray();
    if (text.endsWith(CSimReplies::kLineEnd)) {
        text.chop(2);
    }
    return text;
}

QByteArray queryEcho(const QByteArray& text) {
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        return text.left(text.size() - 1) + "?;";
    }
    return text.left(equals + 1) + "?;";
}

QByteArray withoutEquals(QByteArray text) {
    if (text.contains('=')) {
        return text.replace('=', QByteArray());
    }
    // An announcement without its number: "+UID;".
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == ';' || (text[end - 1] >= '0' && text[end - 1] <= '9'))) {
        --end;
    }
    return text.left(end) + ";";
}

QByteArray binary(CSimRandom& random) {
    QByteArray bytes("\0\xFF\r", 3);
    const auto extra = 5 + random.below(20);
    for (quint64 i = 0; i < extra; ++i) {
        bytes.append(static_cast<char>(random.below(256)));
    }
    return bytes;
}

}  // namespace

QByteArray CSimFaults::malform(QByteArrayView reply, Malformation how, CSimRandom& random) {
    QByteArray text = withoutLineEnd(reply);
    switch (how) {
        case Malformation::QueryEcho:
            return queryEcho(text) + CSimReplies::kLineEnd;
        case Malformation::NoEquals:
            return withoutEquals(text) + CSimReplies::kLineEnd;
        case Malformation::Cut:
            return text.left(text.size() / 2);
        case Malformation::Binary:
            return binary(random);
        case Malformation::Overlong:
            return text + QByteArray(kOverlongSize, 'X') + CSimReplies::kLineEnd;
        case Malformation::BadName:
            return text.left(1) + "<" + text.mid(1) + CSimReplies::kLineEnd;
        case Malformation::Empty:
            return {};
    }
    return text;
}
