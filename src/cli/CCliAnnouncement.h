#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// A bus device announcing itself: "+UIDn;" once it has a UID, "+SNn;" before, heard from
// its gateway.
struct CCliAnnouncement {
    QByteArray gateway;    // dotted
    QByteArray attribute;  // "UID" or "SN"
    quint32 number = 0;

    // The announcement a traffic line carries, or nothing.
    static std::optional<CCliAnnouncement> of(QByteArrayView line);
    // "10.0.0.2 UID 5"
    QByteArray text() const { return gateway + ' ' + attribute + ' ' + QByteArray::number(number); }
};
