#include "CTrafficRendering.h"

namespace {
// Deletes from the first open through the first close after it, both included.
void removeFirstPair(QByteArray& text, char open, char close) {
    const qsizetype start = text.indexOf(open);
    if (start < 0) {
        return;
    }
    const qsizetype end = text.indexOf(close, start);
    text.remove(start, end < 0 ? text.size() - start : end - start + 1);
}
}  // namespace

QByteArray CTrafficRendering::render(QByteArrayView line, bool showTime, bool showSender) {
    QByteArray text = line.toByteArray();
    if (!showTime) {
        removeFirstPair(text, '[', ']');
    }
    if (!showSender) {
        removeFirstPair(text, '(', ')');
    }
    return text;
}
