#pragma once

#include "core/upload/CUploadCounts.h"
#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadRow.h"

#include <optional>
#include <string>
#include <vector>

// What became of one project device in an upload, a dry run or an offline comparison.
struct CDeviceOutcome {
    enum class Status {
        Compared,         // it answered with the project's type: the rows say the rest
        NotFound,         // it did not answer (or the map has no such device)
        TypeMismatch,     // it answered with another type
        NoTemplateType,   // the project gives it no TYPE
        Refused,          // its address cannot be used (device.refusal says why)
        PassedOver,       // No at the discover prompt
        SendFailed,       // a command could not go out; its upload ended there
        OtherTcpGateway,  // in TCP mode its commands would have reached another gateway
        NotReached,       // the upload ended (Stop, Cancel) before its turn
    };

    CUploadDevice::Kind kind = CUploadDevice::Kind::Gateway;
    QByteArray label;  // "IP 10.0.0.2", "UID 12"
    CUploadDevice::Refusal refusal = CUploadDevice::Refusal::None;
    Status status = Status::NotReached;
    std::optional<std::string> reportedType;
    std::vector<CUploadRow> rows;
    int queryRepeats = 0;  // its query went again: the report came short
    // What its rows counted, once the rows themselves were let go (CUploadSummary).
    std::optional<CUploadCounts> rowCounts;

    static CDeviceOutcome of(const CUploadDevice& device, Status status) {
        return {device.kind, device.label(), device.refusal, status, std::nullopt, {},
                0,           std::nullopt};
    }
    // "not found", "type mismatch", ...: how reports name the status.
    static const char* statusName(Status status);
};
