#pragma once

// How the settings and devices of an upload (or dry run) came out, counted: what the
// dialogs show at the end, the command-line tool prints, and its exit code follows.
struct CUploadCounts {
    int toSend = 0;  // differences a preview found (nothing was sent)
    int sent = 0;
    int confirmed = 0;
    int confirmedWhenAsked = 0;  // of those, no echo came but asked again the device has it
    int unconfirmed = 0;         // sent, but no echo with the value came
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
    int queriesRepeated = 0;  // queries sent again: a report came short
    int setsRepeated = 0;     // sets sent again: no echo came in their pause
    // Why settings were skipped.
    int notReported = 0;
    int notInSchema = 0;
    int emptyValue = 0;

    CUploadCounts& operator+=(const CUploadCounts& other);
};
