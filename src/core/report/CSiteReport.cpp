#include "CSiteReport.h"

#include "plan/CValidationSchema.h"
#include "site/CSiteInventory.h"
#include "site/CSnapshotStamp.h"
#include "upload/CUploadOffline.h"
#include "upload/CUploadReport.h"

#include <map>
#include <optional>

namespace {

using Outcome = CUploadRow::Outcome;

const char* const kStyle =
    "body{font-family:sans-serif;font-size:10pt;color:#000;margin:1.5em}"
    "h1{font-size:18pt}h2{font-size:14pt;margin-top:1.5em}h3{font-size:11pt;margin-bottom:2pt}"
    "table{border-collapse:collapse;margin:2pt 0 10pt 0}"
    "th,td{border:1px solid #999;padding:1pt 5pt;text-align:left;vertical-align:top}"
    "th{background:#e8e8e8}"
    ".device{page-break-inside:avoid}"
    "@media print{body{margin:0}h2{page-break-after:avoid}}";

QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

QByteArray bytes(const QString& text) {
    return text.toUtf8();
}

QByteArray orDash(const std::optional<std::string>& text) {
    return text && !text->empty() ? bytes(*text) : QByteArray("-");
}

// Whether a device type's setting holds a credential, asked once per type and place.
class Secrets {
public:
    Secrets(const pugi::xml_document& schema, bool shown) : m_schema(schema), m_shown(shown) {}

    // The value as the report shows it.
    QByteArray shown(const std::optional<std::string>& type, const CSettingAddress& address,
                     const std::string& value) {
        if (m_shown || !isSecret(type.value_or(std::string()), address)) {
            return bytes(value);
        }
        return value.empty() ? "(empty)" : "(set)";
    }

private:
    bool isSecret(const std::string& type, const CSettingAddress& address) {
        const auto key = std::make_pair(type, address);
        const auto found = m_known.find(key);
        if (found != m_known.end()) {
            return found->second;
        }
        const bool secret = m_schema.holdsSecret(type, address);
        m_known.emplace(key, secret);
        return secret;
    }

    CValidationSchema m_schema;
    bool m_shown;
    std::map<std::pair<std::string, CSettingAddress>, bool> m_known;
};

class Writer {
public:
    QByteArray out;

    void raw(const char* text) { out += text; }
    void text(QByteArrayView value) { out += CSiteReport::escape(value); }
    void element(const char* tag, QByteArrayView value) {
        out += '<';
        out += tag;
        out += '>';
        text(value);
        out += "</";
        out += tag;
        out += ">\n";
    }
    void beginTable(std::initializer_list<const char*> headings) {
        raw("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>");
        for (const char* heading : headings) {
            raw("<th>");
            raw(heading);
            raw("</th>");
        }
        raw("</tr>\n");
    }
    void row(std::initializer_list<QByteArrayView> cells) {
        raw("<tr>");
        for (const QByteArrayView cell : cells) {
            raw("<td>");
            text(cell);
            raw("</td>");
        }
        raw("</tr>\n");
    }
    void endTable() { raw("</table>\n"); }
};

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

void titleBlock(Writer& w, const CSiteReport::Input& input,
                const std::optional<CSnapshotStamp>& stamp) {
    w.element("h1", bytes(input.title));
    w.beginTable({"", ""});
    w.row({"Written", bytes(input.written.toUTC().toString(Qt::ISODate))});
    w.row({"Program version", bytes(input.version)});
    if (stamp) {
        w.row({"Snapshot taken", bytes(stamp->taken.toString(Qt::ISODate))});
        w.row({"Through adapter", bytes(stamp->adapter)});
        w.row({"Taken by version", bytes(stamp->version)});
    }
    if (input.project != nullptr) {
        w.row({"Project", bytes(input.projectName)});
    }
    w.endTable();
}

void summary(Writer& w, const CSiteInventory& site) {
    w.raw("<h2>Summary</h2>\n");
    w.element("p", QByteArray::number(site.gateways().size()) + " gateway(s), " +
                       QByteArray::number(site.devices().size()) + " bus device(s)");
    std::map<std::string, int> behind;
    std::map<std::string, int> byType;
    for (const CSiteDevice& device : site.devices()) {
        ++behind[device.gateway];
        ++byType[device.type.value_or("(unknown)")];
    }
    w.raw("<h3>Gateways</h3>\n");
    w.beginTable({"Address", "Name", "Type", "Firmware", "Bus devices"});
    for (const CSiteDevice& gateway : site.gateways()) {
        ++byType[gateway.type.value_or("(unknown)")];
        w.row({bytes(gateway.number), orDash(gateway.name), orDash(gateway.type),
               orDash(gateway.firmware), QByteArray::number(behind[gateway.number])});
    }
    w.endTable();
    w.raw("<h3>Devices by type</h3>\n");
    w.beginTable({"Type", "Count"});
    for (const auto& [type, count] : byType) {
        w.row({bytes(type), QByteArray::number(count)});
    }
    w.endTable();

    const std::string* gateway = nullptr;
    for (const CSiteDevice& device : site.devices()) {
        if (gateway == nullptr || *gateway != device.gateway) {
            if (gateway != nullptr) {
                w.endTable();
            }
            gateway = &device.gateway;
            w.element("h3", device.gateway.empty()
                                ? QByteArray("Bus devices behind no known gateway")
                                : "Bus devices behind " + bytes(device.gateway));
            w.beginTable({"UID", "Serial number", "Type", "Alias", "Firmware"});
        }
        w.row({device.hasUid() ? bytes(device.number) : QByteArray("-"), orDash(device.serial),
               orDash(device.type), orDash(device.name), orDash(device.firmware)});
    }
    if (gateway != nullptr) {
        w.endTable();
    }
}

void settings(Writer& w, const CSiteInventory& site, Secrets& secrets) {
    w.raw("<h2>Settings</h2>\n");
    for (const std::vector<CSiteDevice>* devices : {&site.gateways(), &site.devices()}) {
        for (const CSiteDevice& device : *devices) {
            w.raw("<div class=\"device\">");
            w.element("h3", deviceHeading(device));
            if (device.settings.empty()) {
                w.element("p", "No settings were reported.");
                w.raw("</div>\n");
                continue;
            }
            w.beginTable({"Setting", "Value"});
            for (const CTemplateSetting& setting : device.settings) {
                w.row({setting.address.text(),
                       secrets.shown(device.type, setting.address, setting.value)});
            }
            w.endTable();
            w.raw("</div>\n");
        }
    }
}

void projectDifferences(Writer& w, const CSiteReport::Input& input, Secrets& secrets) {
    w.element("h2", "Differences from the project " + bytes(input.projectName));
    w.beginTable({"Device", "Setting", "Project", "Site", "An upload would"});
    int shown = 0;
    for (const CUploadDevice::Kind kind :
         {CUploadDevice::Kind::Gateway, CUploadDevice::Kind::BusDevice}) {
        const CUploadSummary summary =
            CUploadOffline::compare(*input.project, *input.map, *input.schema, kind);
        for (const CDeviceOutcome& device : summary.devices) {
            if (device.status != CDeviceOutcome::Status::Compared) {
                w.row({device.label, "", "", orDash(device.reportedType),
                       CDeviceOutcome::statusName(device.status)});
                ++shown;
                continue;
            }
            for (const CUploadRow& row : device.rows) {
                if (row.outcome == Outcome::Match) {
                    continue;
                }
                const CSettingAddress& place = row.setting.address;
                w.row({device.label, row.placeText(),
                       secrets.shown(device.reportedType, place, row.setting.value),
                       row.reported ? secrets.shown(device.reportedType, place, *row.reported)
                                    : QByteArray("-"),
                       bytes(CUploadReport::rowAction(row, true))});
                ++shown;
            }
        }
    }
    w.endTable();
    if (shown == 0) {
        w.element("p", "The site holds every value of the project.");
    }
}

void journal(Writer& w, const std::vector<CJournalEntry>& entries) {
    w.raw("<h2>Changes made</h2>\n");
    if (entries.empty()) {
        w.element("p", "The journal holds no changes.");
        return;
    }
    w.beginTable({"Time (UTC)", "Tool", "Action", "Gateway", "Device", "Command", "Outcome"});
    for (const CJournalEntry& entry : entries) {
        w.row({bytes(entry.time.toString(Qt::ISODate)), bytes(entry.tool), bytes(entry.action),
               bytes(entry.gateway), bytes(entry.device), bytes(entry.command),
               CJournalEntry::outcomeName(entry.outcome)});
    }
    w.endTable();
}

}  // namespace

QByteArray CSiteReport::escape(QByteArrayView text) {
    QByteArray escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QByteArray CSiteReport::html(const Input& input) {
    const CSiteInventory site = CSiteInventory::of(*input.map);
    Secrets secrets(*input.schema, input.withSecrets);
    Writer w;
    w.out.reserve(1 << 20);
    w.raw("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n");
    w.element("title", bytes(input.title));
    w.raw("<style>");
    w.raw(kStyle);
    w.raw("</style></head>\n<body>\n");
    titleBlock(w, input, CSnapshotStamp::of(*input.map));
    summary(w, site);
    if (input.project != nullptr) {
        projectDifferences(w, input, secrets);
    }
    if (input.journal != nullptr) {
        journal(w, *input.journal);
    }
    settings(w, site, secrets);
    w.raw("</body></html>\n");
    return w.out;
}
