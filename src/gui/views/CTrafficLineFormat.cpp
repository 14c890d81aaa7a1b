#include "CTrafficLineFormat.h"

QByteArray CTrafficLineFormat::forDisplay(QByteArray line, bool showTime, bool showIp) {
    if (!showTime) {
        removeFirstPair(line, '[', ']');
    }
    if (!showIp) {
        removeFirstPair(line, '(', ')');
    }
    return line;
}

void CTrafficLineFormat::removeFirstPair(QByteArray& line, char open, char close) {
    const qsizetype from = line.indexOf(open);
    const qsizetype to = line.indexOf(close);
    // A close before the open, or none at all, deletes nothing.
    if (from < 0 || to <= from) {
        return;
    }
    line.remove(from, to - from + 1);
}
