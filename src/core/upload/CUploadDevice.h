#pragma once

#include "core/upload/CTemplateSetting.h"

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

// One device of the project as an upload sees it: how it is addressed, its type, the
// settings its walk visits, and why it cannot take part when it cannot. Everything is
// copied out of the template when the upload starts, so a run never holds template nodes.
struct CUploadDevice {
    enum class Kind { Gateway, BusDevice };
    enum class Refusal {
        None,
        UnusableAddress,  // a gateway whose IP is a placeholder, a broadcast or no address
        NotAUid,          // a bus device whose UID is not a plain decimal in 1..INT_MAX
        SerialOnly,       // a bus device known only by its serial number
        Duplicate,        // another device of the project has the same address
    };

    Kind kind = Kind::Gateway;
    QByteArray keyText;               // the identifying attribute's text, as the project has it
    quint32 address = 0;              // a gateway's address, network byte order
    int uid = 0;                      // a bus device's UID
    std::optional<std::string> type;  // the project's TYPE text; none when it has no TYPE
    Refusal refusal = Refusal::None;
    std::vector<CTemplateSetting> settings;

    bool isGateway() const { return kind == Kind::Gateway; }
    // "IP 10.0.0.2" or "UID 12", as summaries name the device.
    QByteArray label() const;
};
