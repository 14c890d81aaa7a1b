#pragma once

#include <QByteArrayView>
#include <QString>

// A device's 8-bit text as people read it: UTF-8 where it is valid UTF-8, Latin-1
// otherwise. Every screen and filter of traffic uses this one reading.
class CWireText {
public:
    static QString toDisplay(QByteArrayView bytes);
};
