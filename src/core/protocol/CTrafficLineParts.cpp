#include "core/protocol/CTrafficLineParts.h"

#include "core/protocol/CTrafficLine.h"

namespace {

// Takes "<open>inside<close>" and one blank after it from the front of rest.
QByteArrayView takeEnclosed(QByteArrayView& rest, char open, char close) {
    if (!rest.startsWith(open)) {
        return {};
    }
    const qsizetype end = rest.indexOf(close);
    if (end < 0) {
        return {};
    }
    const QByteArrayView inside = rest.sliced(1, end - 1);
    rest = rest.sliced(end + 1);
    if (rest.startsWith(' ')) {
        rest = rest.sliced(1);
    }
    return inside;
}

}  // namespace

CTrafficLineParts CTrafficLineParts::of(QByteArrayView line) {
    CTrafficLineParts parts;
    QByteArrayView rest = line;
    parts.time = takeEnclosed(rest, '[', ']');
    const qsizetype destinationEnd = rest.indexOf(": ");
    if (!parts.time.isNull() && rest.startsWith(CTrafficLine::kSentMark) && destinationEnd > 0) {
        const qsizetype markSize = QByteArrayView(CTrafficLine::kSentMark).size();
        parts.sender = rest.sliced(markSize, destinationEnd - markSize);
        parts.text = rest.sliced(destinationEnd + 2);
        parts.sent = true;
        return parts;
    }
    parts.sender = takeEnclosed(rest, '(', ')');
    parts.text = rest;
    return parts;
}
