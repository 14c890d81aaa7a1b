#include "core/upload/CUploadCompare.h"

#include "core/plan/CSecretRule.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"
#include "core/upload/CUploadTexts.h"

#include <algorithm>

namespace {

using Outcome = CUploadRow::Outcome;
using Control = CValidationSchema::Control;

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool isPortLetter(const QByteArray& port) {
    return port.isEmpty() || (port.size() == 1 && ((port[0] >= 'A' && port[0] <= 'Z') ||
                                                   (port[0] >= 'a' && port[0] <= 'z')));
}

bool isIndexNumber(const QByteArray& index) {
    return std::all_of(index.begin(), index.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why the setting cannot go out in a command; empty when it can. The port and index are
// part of the command as much as the value: a port is one letter, an index a number.
QString unsafeReason(const CTemplateSetting& setting, QByteArray& wire) {
    const CSettingAddress& address = setting.address;
    if (!isPortLetter(address.port)) {
        return QStringLiteral("the port \"%1\" is not one letter")
            .arg(QString::fromUtf8(address.port));
    }
    if (!isIndexNumber(address.index)) {
        return QStringLiteral("the index \"%1\" is not a number")
            .arg(QString::fromUtf8(address.index));
    }
    const CValueValidator::Result checked = CValueValidator::checkUtf8(setting.value);
    wire = checked.wire;
    return checked.refusal;
}

QByteArray setCommand(const CUploadDevice& device, const CTemplateSetting& setting,
                      const QByteArray& wire) {
    if (device.isGateway()) {
        return CCommands::gatewaySetting(setting.address, wire, {});
    }
    return CCommands::busDeviceSetting(device.uid, setting.address, wire, {});
}

QByteArray matchLine(const CUploadDevice& device, const CTemplateSetting& setting,
                     std::string_view reported) {
    if (device.isGateway()) {
        return CUploadTexts::gatewayMatch(bytes(reported), bytes(setting.value));
    }
    return CUploadTexts::busMatch(CUploadCompare::planPath(device.uid, setting),
                                  bytes(setting.value));
}

QByteArray missMatchLine(const CUploadDevice& device, const CTemplateSetting& setting,
                         std::string_view reported) {
    if (device.isGateway()) {
        return CUploadTexts::gatewayMissMatch(bytes(reported), bytes(setting.value));
    }
    return CUploadTexts::busMissMatch(CUploadCompare::planPath(device.uid, setting),
                                      bytes(setting.value), bytes(reported));
}

CUploadRow decide(const CUploadDevice& device, CTemplateSetting visited,
                  const CValidationSchema& schema, const CDeviceAnswers& reported) {
    CUploadRow row;
    row.setting = std::move(visited);
    const CTemplateSetting& setting = row.setting;
    row.deferred = device.isGateway() && CUploadCompare::isConnectionSetting(setting);
    row.secret = schema.holdsSecret(setting.address);
    if (setting.value.empty()) {
        row.outcome = Outcome::EmptyValue;
        return row;
    }
    const pugi::xml_node entry =
        schema.setting(device.type.value_or(std::string()), setting.address);
    if (!entry) {
        row.outcome = Outcome::NotInSchema;
        return row;
    }
    const Control control = CValidationSchema::control(entry);
    if (control == Control::Combo && !CValidationSchema::allows(entry, setting.value)) {
        row.outcome = Outcome::NotAnOption;
        return row;
    }
    // A value of the wrong type is the project's fault whatever the device holds.
    const QString projectValue = QString::fromStdString(setting.value);
    if (const QString problem = schema.valueTypeOf(entry).problem(projectValue);
        !problem.isEmpty()) {
        row.outcome = Outcome::InvalidValue;
        // A refusal names the value, but never a credential's.
        row.refusal = CValueValidator::typeRefusal(
            QString::fromUtf8(row.placeText()),
            row.secret ? QString::fromLatin1(CSecretRule::masked(projectValue.isEmpty()))
                       : projectValue,
            problem);
        return row;
    }
    const std::optional<std::string_view> value = reported.find(setting.address);
    if (!value) {
        row.outcome = Outcome::NotReported;
        return row;
    }
    row.reported = std::string(*value);
    if (*value == setting.value) {
        row.outcome = Outcome::Match;
        return row;
    }
    if (control == Control::ReadOnly) {
        row.outcome = Outcome::ReadOnly;
        return row;
    }
    row.refusal = unsafeReason(setting, row.wireValue);
    if (!row.refusal.isEmpty()) {
        row.outcome = Outcome::UnsafeValue;
        row.wireValue.clear();
        return row;
    }
    row.outcome = Outcome::Differs;
    row.command = setCommand(device, setting, row.wireValue);
    return row;
}

}  // namespace

CUploadCompare::Presence CUploadCompare::presence(const CUploadDevice& device,
                                                  const CDeviceAnswers& reported) {
    const std::optional<std::string> type = reported.type();
    if (!type) {
        return Presence::NotFound;
    }
    return type == device.type ? Presence::Found : Presence::TypeMismatch;
}

std::vector<CUploadRow> CUploadCompare::rows(const CUploadDevice& device,
                                             const CValidationSchema& schema,
                                             const CDeviceAnswers& reported) {
    CUploadDevice copy = device;
    return rows(std::move(copy), schema, reported);
}

std::vector<CUploadRow> CUploadCompare::rows(CUploadDevice&& device,
                                             const CValidationSchema& schema,
                                             const CDeviceAnswers& reported) {
    std::vector<CUploadRow> rows;
    rows.reserve(device.settings.size());
    for (CTemplateSetting& setting : device.settings) {
        rows.push_back(decide(device, std::move(setting), schema, reported));
    }
    device.settings.clear();
    std::stable_partition(rows.begin(), rows.end(),
                          [](const CUploadRow& row) { return !row.deferred; });
    return rows;
}

QByteArray CUploadCompare::logLine(const CUploadDevice& device, const CUploadRow& row) {
    // The log is kept and shown beside the traffic: a credential's values stay out of it.
    CUploadRow shown = row;
    shown.hideSecret();
    const std::string_view reported = shown.reported ? std::string_view(*shown.reported) : "";
    switch (row.outcome) {
        case Outcome::Match:
            return matchLine(device, shown.setting, reported);
        case Outcome::Differs:
            return missMatchLine(device, shown.setting, reported);
        case Outcome::UnsafeValue:
            return CUploadTexts::unsafeValue(row.placeText(), row.refusal.toUtf8());
        case Outcome::InvalidValue:
            return CUploadTexts::invalidValue(row.refusal.toUtf8());
        default:
            return {};
    }
}

bool CUploadCompare::isConnectionSetting(const CTemplateSetting& setting) {
    const CSettingAddress& address = setting.address;
    return address.port.isEmpty() && (address.group == "NETWORK" || address.group == "UDP");
}

QByteArray CUploadCompare::planPath(int uid, const CTemplateSetting& setting) {
    return "//Device_Configuration/DEVICE[@UID='" + QByteArray::number(uid) + "']" +
           setting.address.planPath();
}

// A device reports each setting in a datagram of its own: on a lossy site most reports lack
// a line or two, and asking those by name costs a line each where the whole report costs
// them all.
std::optional<std::vector<CSettingAddress>> CUploadCompare::missingByName(
    const CUploadDevice& device, const CValidationSchema& schema, const CDeviceAnswers& reported) {
    if (reported.isEmpty()) {
        return std::nullopt;
    }
    if (reported.type() && presence(device, reported) == Presence::TypeMismatch) {
        return std::nullopt;
    }
    CSettingAddress type;
    type.key = "TYPE";
    std::vector<CSettingAddress> missing;
    const std::vector<CUploadRow> compared = rows(device, schema, reported);
    bool typeIsARow = false;
    for (const CUploadRow& row : compared) {
        const CSettingAddress& place = row.setting.address;
        typeIsARow = typeIsARow || place == type;
        if (row.outcome != Outcome::NotReported) {
            continue;
        }
        // Only a place the grammar allows goes into a question; anything else: ask it all.
        if (CSettingAddress::parseWellFormed(place.text()) != place) {
            return std::nullopt;
        }
        missing.push_back(place);
    }
    // The upload cannot go on without the TYPE, whether the project walks it or not.
    if (!reported.type() && std::find(missing.begin(), missing.end(), type) == missing.end()) {
        missing.insert(missing.begin(), type);
    }
    const size_t needed = compared.size() + (typeIsARow ? 0 : 1);
    if (missing.empty() || missing.size() * 2 > needed) {
        return std::nullopt;
    }
    return missing;
}
