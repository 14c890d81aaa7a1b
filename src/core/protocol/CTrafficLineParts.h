#pragma once

#include <QByteArrayView>

// A traffic line taken apart: "[time] (sender) text", or for a text the program sent
// "[time] -> destination: text" (the destination stands in sender). A line of another
// shape (a note the program itself put into the history) is all text. The views point
// into the line.
struct CTrafficLineParts {
    QByteArrayView time;
    QByteArrayView sender;
    QByteArrayView text;
    bool sent = false;

    static CTrafficLineParts of(QByteArrayView line);
};
