#pragma once

#include "core/upload/CTemplateSetting.h"

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

// One gateway or bus device of a map file (a plan), as snapshots, their comparison and the
// site report see it: who it is, what it is, and every setting it reported, in the order
// the plan holds them (the upload's walk, so that every reader visits them alike).
struct CSiteDevice {
    enum class Kind { Gateway, BusDevice };

    Kind kind = Kind::Gateway;
    // The identifying attribute's name ("IP", "UID" or "SN") and its text.
    std::string attribute;
    std::string number;
    // A bus device's serial number: its SN attribute or its SN setting.
    std::optional<std::string> serial;
    // The gateway a bus device was heard behind (the first, when several); empty when the
    // plan does not say.
    std::string gateway;
    std::optional<std::string> type;
    std::optional<std::string> name;      // a gateway's NAME, a bus device's ALIAS
    std::optional<std::string> firmware;  // VERSION_SW
    std::vector<CTemplateSetting> settings;

    bool isGateway() const { return kind == Kind::Gateway; }
    bool hasUid() const { return attribute == "UID"; }
    // "IP 10.0.0.2", "UID 12", "SN 100004": how every output names it.
    QByteArray label() const {
        return QByteArray::fromStdString(attribute) + ' ' + QByteArray::fromStdString(number);
    }
};
