#pragma once

#include <QByteArrayView>
#include <QList>

// The value of a status line, the text after its "=": it ends at the first ";", carriage
// return or line feed, and its numbers are separated by ".".
class CStatusValue {
public:
    // The text up to the end of the value.
    static QByteArrayView value(QByteArrayView afterEquals);
    // Its parts at "."; none for an empty value.
    static QList<QByteArrayView> parts(QByteArrayView afterEquals);
};
