#include "core/report/CSiteReport.h"

#include "core/plan/CSecretRule.h"
#include "core/report/CReportHtml.h"
#include "core/site/CSiteInventory.h"
#include "core/site/CSnapshotStamp.h"
#include "core/upload/CMapAnswers.h"
#include "core/upload/CUploadListing.h"
#include "core/upload/CUploadOffline.h"

#include <map>
#include <optional>

namespace {

using Outcome = CUploadRow::Outcome;

QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

QByteArray bytes(const QString& text) {
    return text.toUtf8();
}

QByteArray orDash(const std::optional<std::string>& text) {
    return text && !text->empty() ? bytes(*text) : QByteArray("-");
}

QByteArray deviceHeading(const CSiteDevice& device) {
    QByteArray heading = device.label();
    if (device.isGateway() && device.name) {
        heading += " " + bytes(*device.name);
    }
    if (device.type) {
        heading += " (" + bytes(*device.type) + ")";
    }
    return heading;
}

void titleBlock(CReportDocument& report, const CSiteReport::Input& input,
                const std::optional<CSnapshotStamp>& stamp) {
    report.table({});
    report.row({"Written", bytes(input.written.toUTC().toString(Qt::ISODate))});
    report.row({"Program version", bytes(input.version)});
    if (stamp) {
        report.row({"Snapshot taken", bytes(stamp->taken.toString(Qt::ISODate))});
        report.row({"Through adapter", bytes(stamp->adapter)});
        report.row({"Taken by version", bytes(stamp->version)});
    }
    if (input.project != nullptr) {
        report.row({"Project", bytes(input.projectName)});
    }
}

void summary(CReportDocument& report, const CSiteInventory& site) {
    report.heading("Summary");
    report.paragraph(QByteArray::number(site.gateways().size()) + " gateway(s), " +
                     QByteArray::number(site.devices().size()) + " bus device(s)");
    std::map<std::string, int> behind;
    std::map<std::string, int> byType;
    for (const CSiteDevice& device : site.devices()) {
        ++behind[device.gateway];
        ++byType[device.type.value_or("(unknown)")];
    }
    report.subheading("Gateways", true);
    report.table({"Address", "Name", "Type", "Firmware", "Bus devices"});
    for (const CSiteDevice& gateway : site.gateways()) {
        ++byType[gateway.type.value_or("(unknown)")];
        report.row({bytes(gateway.number), orDash(gateway.name), orDash(gateway.type),
                    orDash(gateway.firmware), QByteArray::number(behind[gateway.number])});
    }
    report.subheading("Devices by type", true);
    report.table({"Type", "Count"});
    for (const auto& [type, count] : byType) {
        report.row({bytes(type), QByteArray::number(count)});
    }
    const std::string* gateway = nullptr;
    for (const CSiteDevice& device : site.devices()) {
        if (gateway == nullptr || *gateway != device.gateway) {
            gateway = &device.gateway;
            report.subheading(device.gateway.empty()
                                  ? QByteArray("Bus devices behind no known gateway")
                                  : "Bus devices behind " + bytes(device.gateway),
                              true);
            report.table({"UID", "Serial number", "Type", "Alias", "Firmware"});
        }
        report.row({device.hasUid() ? bytes(device.number) : QByteArray("-"), orDash(device.serial),
                    orDash(device.type), orDash(device.name), orDash(device.firmware)});
    }
}

void settings(CReportDocument& report, const CSiteInventory& site, const CSecretRule& secrets) {
    report.heading("Settings");
    for (const std::vector<CSiteDevice>* devices : {&site.gateways(), &site.devices()}) {
        for (const CSiteDevice& device : *devices) {
            report.subheading(deviceHeading(device), true);
            if (device.settings.empty()) {
                report.paragraph("No settings were reported.");
                continue;
            }
            report.table({"Setting", "Value"});
            for (const CTemplateSetting& setting : device.settings) {
                report.row(
                    {setting.address.text(), bytes(secrets.shown(setting.address, setting.value))});
            }
        }
    }
}

void projectDifferences(CReportDocument& report, const CSiteReport::Input& input,
                        const CSecretRule& secrets) {
    report.heading("Differences from the project " + bytes(input.projectName));
    report.table({"Device", "Setting", "Project", "Site", "An upload would"});
    size_t shown = 0;
    const CMapAnswers reported = CMapAnswers::of(*input.map);
    const auto show = [&](const CDeviceOutcome& device) {
        if (device.status != CDeviceOutcome::Status::Compared) {
            report.row({device.label, "", "", orDash(device.reportedType),
                        CDeviceOutcome::statusName(device.status)});
            ++shown;
            return;
        }
        for (const CUploadRow& row : device.rows) {
            if (row.outcome == Outcome::Match) {
                continue;
            }
            const CSettingAddress& place = row.setting.address;
            report.row({device.label, row.placeText(),
                        bytes(secrets.shown(place, row.setting.value)),
                        row.reported ? bytes(secrets.shown(place, *row.reported)) : QByteArray("-"),
                        bytes(CUploadListing::rowAction(row, true))});
            ++shown;
        }
    };
    for (const CUploadDevice::Kind kind :
         {CUploadDevice::Kind::Gateway, CUploadDevice::Kind::BusDevice}) {
        CUploadOffline::compare(*input.project, reported, *input.schema, kind,
                                [&show](CDeviceOutcome&& device) { show(device); });
    }
    if (shown == 0) {
        report.blocks.pop_back();
        report.paragraph("The site holds every value of the project.");
    }
}

// The journal holds no credential's value; one written before the rule held every letter
// case is shown by it all the same.
void journal(CReportDocument& report, const std::vector<CJournalEntry>& entries,
             const CSecretRule& secrets) {
    report.heading("Changes made");
    if (entries.empty()) {
        report.paragraph("The journal holds no changes.");
        return;
    }
    report.table({"Time (UTC)", "Tool", "Action", "Gateway", "Device", "Command", "Outcome"});
    for (const CJournalEntry& entry : entries) {
        report.row({bytes(entry.time.toString(Qt::ISODate)), bytes(entry.tool), bytes(entry.action),
                    bytes(entry.gateway), bytes(entry.device),
                    bytes(secrets.shownCommand(entry.command)),
                    CJournalEntry::outcomeName(entry.outcome)});
    }
}

}  // namespace

CReportDocument CSiteReport::document(const Input& input) {
    const CSiteInventory site = CSiteInventory::of(*input.map);
    const CSecretRule secrets(*input.schema, input.withSecrets);
    CReportDocument report;
    report.title = bytes(input.title);
    titleBlock(report, input, CSnapshotStamp::of(*input.map));
    summary(report, site);
    if (input.project != nullptr) {
        projectDifferences(report, input, secrets);
    }
    if (input.journal != nullptr) {
        journal(report, *input.journal, secrets);
    }
    settings(report, site, secrets);
    return report;
}

QByteArray CSiteReport::html(const Input& input) {
    return CReportHtml::of(document(input));
}
