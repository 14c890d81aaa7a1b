#pragma once

#include "core/lan/CMacAddress.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

// One host the LAN scan found, as the scan list shows it: its running number among the
// found hosts, its address, its hardware address and, when the reverse look-up gave
// one, its name.
struct CLanScanRow {
    int number = 0;
    quint32 address = 0;  // network byte order
    CMacAddress mac;
    QString name;  // empty when the look-up gave nothing

    QByteArray numberText() const { return QByteArray::number(number); }
    QByteArray addressText() const;
    QByteArray macText() const { return mac.bracketedText(); }

    friend bool operator==(const CLanScanRow&, const CLanScanRow&) = default;
};

Q_DECLARE_METATYPE(CLanScanRow)
