#pragma once

#include <QByteArray>

// How a traffic line looks in the traffic list. With the time stamp off, the first
// "[" ... "]" goes; then with the sender off, the first "(" ... ")". The blank after a
// removed part stays, so the text keeps its place. Lines without these parts (progress
// lines of an upload) are shown as they are.
class CTrafficLineFormat {
public:
    static QByteArray forDisplay(QByteArray line, bool showTime, bool showIp);

private:
    // Deletes from the first open through the first close, when the close comes after it.
    static void removeFirstPair(QByteArray& line, char open, char close);
};
