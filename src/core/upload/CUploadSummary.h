#pragma once

#include "CDeviceOutcome.h"

#include <QStringList>
#include <optional>
#include <vector>

// The truth about one upload (or dry run), device by device, and the counts the dialogs
// show at the end and the command-line tool prints and turns into its exit code.
struct CUploadSummary {
    enum class Ending { Completed, Cancelled, Stopped };

    struct Counts {
        int toSend = 0;  // differences a preview found (nothing was sent)
        int sent = 0;
        int confirmed = 0;
        int unconfirmed = 0;  // sent, but no echo with the value came
        int matched = 0;
        int notApplied = 0;  // the device keeps another value: not an option, read-only,
                             // unsafe or invalid value
        int skipped = 0;     // not reported, not in the schema, no value
        int notFound = 0;
        int typeMismatch = 0;
        int refused = 0;  // devices: no TYPE in the project, unusable address
        int passedOver = 0;
        int failedSends = 0;
        int otherTcpGateway = 0;
        int notReached = 0;
    };

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
    // The lines of the end summary: the counts, then every device that did not go through
    // and every setting that was skipped, each with why.
    QStringList lines() const;
    // 0 when every device answered and holds the project's values now; 3 when the upload
    // went through and no device answered; 4 when a command could not be sent; 6
    // otherwise (a cancelled or stopped upload too).
    int exitCode() const;
};
