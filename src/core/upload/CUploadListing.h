#pragma once

#include "core/upload/CUploadSummary.h"

#include <QByteArray>
#include <QString>

// The rows of a preview, a dry run or an offline comparison, device by device, as text
// for people and as JSON for scripts: what will be sent (the exact command), what will be
// skipped and why, against what the device reported. Written as UTF-8 bytes straight away:
// a large site's comparison has a million rows.
class CUploadListing {
public:
    static QString text(const CUploadSummary& summary);
    // One JSON object: {"counts", "devices", "dryRun", "armedUid"}.
    static QByteArray json(const CUploadSummary& summary);

    // The pieces of both, for a report written device by device: a device's heading and
    // rows, or its JSON object; the end lines, or the members of the JSON object after
    // "devices" (",\"counts\":{...},\"dryRun\":true").
    static QByteArray deviceText(const CDeviceOutcome& device, bool dryRun);
    static QByteArray deviceJson(const CDeviceOutcome& device, bool dryRun);
    static QString endText(const CUploadSummary& summary);
    static QByteArray endJsonMembers(const CUploadSummary& summary);

    // "sent", "would be sent", "skipped: not an option", ...: what happens to a row.
    static QString rowAction(const CUploadRow& row, bool dryRun);
};
