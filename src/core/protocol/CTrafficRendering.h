#pragma once

#include <QByteArray>
#include <QByteArrayView>

// How a traffic line is shown: without its time stamp when the time is not wanted, and
// without its sender when the sender is not wanted. The blank after each removed part
// stays, so columns keep their place.
class CTrafficRendering {
public:
    static QByteArray render(QByteArrayView line, bool showTime, bool showSender);
};
