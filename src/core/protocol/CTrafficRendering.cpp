#include "core/protocol/CTrafficRendering.h"

#include "core/protocol/CTrafficLineParts.h"

namespace {
// Deletes from the first open through the first close after it, both included. A part
// that is never closed is not a time stamp or a sender, so it stays.
void removeFirstPair(QByteArray& text, char open, char close) {
    const qsizetype start = text.indexOf(open);
    if (start < 0) {
        return;
    }
    const qsizetype end = text.indexOf(close, start);
    if (end >= 0) {
        text.remove(start, end - start + 1);
    }
}
}  // namespace

QByteArray CTrafficRendering::render(QByteArrayView line, bool showTime, bool showSender) {
    QByteArray text = line.toByteArray();
    if (!text.startsWith('[')) {
        return text;
    }
    const CTrafficLineParts parts = CTrafficLineParts::of(line);
    if (parts.sent && !showSender) {
        // "-> a.b.c.d: text" keeps its mark: "-> text".
        const qsizetype destination = parts.sender.data() - line.data();
        text.remove(destination, parts.text.data() - parts.sender.data());
    }
    if (!showTime) {
        removeFirstPair(text, '[', ']');
    }
    if (!showSender && !parts.sent) {
        removeFirstPair(text, '(', ')');
    }
    return text;
}
