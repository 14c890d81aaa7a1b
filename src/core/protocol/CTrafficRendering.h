#pragma once

#include <QByteArray>
#include <QByteArrayView>

// How a traffic line is shown: without its time stamp when the time is not wanted, and
// without its sender when the sender is not wanted. The blank after each removed part
// stays, so columns keep their place. A text the program sent keeps its mark without its
// destination ("-> &NAME=?;"). Only a received line, which begins with its time
// stamp, has these parts: the program's own lines (an upload's, which name plan paths such
// as "DEVICE[@UID='12']") are shown as they are.
class CTrafficRendering {
public:
    static QByteArray render(QByteArrayView line, bool showTime, bool showSender);
};
