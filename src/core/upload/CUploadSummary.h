#pragma once

#include "core/upload/CDeviceOutcome.h"
#include "core/upload/CUploadCounts.h"

#include <QStringList>
#include <optional>
#include <vector>

// The truth about one upload (or dry run), device by device, and the counts the dialogs
// show at the end and the command-line tool prints and turns into its exit code.
struct CUploadSummary {
    enum class Ending { Completed, Cancelled, Stopped };

    using Counts = CUploadCounts;

    // Exit codes of the command-line tool.
    static constexpr int kExitApplied = 0;
    static constexpr int kExitNothingAnswered = 3;
    static constexpr int kExitSendFailed = 4;
    static constexpr int kExitPartly = 6;

    std::vector<CDeviceOutcome> devices;
    Ending ending = Ending::Completed;
    bool dryRun = false;
    std::optional<int> armedUid;  // gateways may still hand this UID to the next device pressed

    Counts counts() const;
    // The counts of one device: its status, and its rows (or what they counted before they
    // were let go).
    static Counts countsOf(const CDeviceOutcome& device, bool dryRun);
    // The device's rows have been written out: they go, their counts stay, and so do the
    // rows that the end lines name. A comparison of a whole site holds a summary this way
    // without holding its million rows.
    static void letRowsGo(CDeviceOutcome& device, bool dryRun);
    // Every credential's value shown as "(set)" or "(empty)" (CUploadRow::hideSecret): what
    // the listings and the end lines show unless the secrets are asked for.
    static void hideSecrets(CDeviceOutcome& device);
    void hideSecrets();
    // The lines of the end summary: the counts, then every device that did not go through
    // and every setting that was skipped, each with why.
    QStringList lines() const;
    // 0 when every device answered and holds the project's values now; 3 when the upload
    // went through and no device answered; 4 when a command could not be sent; 6
    // otherwise (a cancelled or stopped upload too).
    int exitCode() const;
};
