#pragma once

#include "CUploadSummary.h"

#include <QByteArray>
#include <QString>

// The rows of a preview, a dry run or an offline comparison, device by device, as text
// for people and as JSON for scripts: what will be sent (the exact command), what will be
// skipped and why, against what the device reported.
class CUploadReport {
public:
    static QString text(const CUploadSummary& summary);
    static QByteArray json(const CUploadSummary& summary);

    // "sent", "would be sent", "skipped: not an option", ...: what happens to a row.
    static QString rowAction(const CUploadRow& row, bool dryRun);
};
