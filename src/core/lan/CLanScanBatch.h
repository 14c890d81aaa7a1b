#pragma once

#include "core/lan/CLanScanRow.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>

// What a scan has to show since its last report: rows to append, the progress position
// (addresses through, 0 to 254), the status text and whether the scan is over.
struct CLanScanBatch {
    // The status text once every address is through.
    static constexpr const char* kIdleStatus = " ";

    QList<CLanScanRow> rows;
    int progress = 0;
    QByteArray status;
    bool finished = false;
};

Q_DECLARE_METATYPE(CLanScanBatch)
