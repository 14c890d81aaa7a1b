#include "core/upload/CUploadListing.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

using Outcome = CUploadRow::Outcome;
using Delivery = CUploadRow::Delivery;

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

// A text as a JSON string. latin1: each byte is one character (a command's wire bytes),
// else the text is UTF-8 already.
void appendJsonString(std::string& out, std::string_view text, bool latin1 = false) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    const bool plain = std::all_of(text.begin(), text.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
    });
    if (plain) {
        out.append(text);
        out += '"';
        return;
    }
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else if (latin1 && c >= 0x80) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += ch;
        }
    }
    out += '"';
}

void appendMember(std::string& out, const char* name, std::string_view text, bool latin1 = false) {
    out += '"';
    out += name;
    out += "\":";
    appendJsonString(out, text, latin1);
    out += ',';
}

void appendMember(std::string& out, const char* name, int number) {
    out += '"';
    out += name;
    out += "\":";
    out += std::to_string(number);
    out += ',';
}

// Closes an object whose last member left a comma behind.
void closeObject(std::string& out) {
    if (!out.empty() && out.back() == ',') {
        out.pop_back();
    }
    out += '}';
}

QByteArray deviceHeading(const CDeviceOutcome& device) {
    QByteArray heading = device.label;
    if (device.reportedType) {
        heading += " (" + QByteArray::fromStdString(*device.reportedType) + ')';
    }
    return heading + ": " + CDeviceOutcome::statusName(device.status);
}

// Members in the order of their names, as every JSON object of the program has them.
void appendRow(std::string& out, const CUploadRow& row, bool dryRun, QByteArray& place) {
    out += '{';
    if (row.outcome == Outcome::Match) {
        appendMember(out, "action", "already set");
    } else {
        appendMember(out, "action", view(CUploadListing::rowAction(row, dryRun).toUtf8()));
    }
    if (row.isSent()) {
        appendMember(out, "command", view(row.command), true);
    }
    appendMember(out, "outcome", CUploadRow::outcomeName(row.outcome));
    place.clear();
    row.setting.address.appendText(place);
    appendMember(out, "place", view(place));
    if (!row.refusal.isEmpty()) {
        appendMember(out, "reason", view(row.refusal.toUtf8()));
    }
    if (row.repeats > 0) {
        appendMember(out, "repeats", row.repeats);
    }
    if (row.reported) {
        appendMember(out, "reported", *row.reported);
    }
    appendMember(out, "value", row.setting.value);
    closeObject(out);
}

}  // namespace

QString CUploadListing::rowAction(const CUploadRow& row, bool dryRun) {
    if (row.outcome == Outcome::Match) {
        return QStringLiteral("already set");
    }
    if (!row.isSent()) {
        return QStringLiteral("skipped: ") +
               QString::fromLatin1(CUploadRow::outcomeName(row.outcome));
    }
    switch (row.delivery) {
        case Delivery::NotSent:
            return dryRun ? QStringLiteral("to send") : QStringLiteral("not sent");
        case Delivery::Sent:
            return QStringLiteral("sent, no echo");
        case Delivery::Confirmed:
            return QStringLiteral("sent, confirmed");
        case Delivery::ReportedWhenAsked:
            return QStringLiteral("sent, confirmed when asked again");
        case Delivery::AnsweredOther:
            return QStringLiteral("sent, the device answered ") + QString::fromLatin1(row.answered);
        case Delivery::SendFailed:
            return QStringLiteral("send failed");
    }
    return {};
}

QByteArray CUploadListing::deviceText(const CDeviceOutcome& device, bool dryRun) {
    std::string text = deviceHeading(device).toStdString() + '\n';
    text.reserve(text.size() + device.rows.size() * 64);
    QByteArray place;
    for (const CUploadRow& row : device.rows) {
        text += "  ";
        place.clear();
        row.setting.address.appendText(place);
        text += view(place);
        text += " = ";
        text += row.setting.value;
        if (row.reported && row.outcome != Outcome::Match) {
            text += " (device: ";
            text += *row.reported;
            text += ')';
        }
        text += ": ";
        text += row.outcome == Outcome::Match ? std::string("already set")
                                              : rowAction(row, dryRun).toStdString();
        if (row.repeats > 0) {
            text += " (sent " + std::to_string(row.repeats + 1) + " times)";
        }
        if (row.isSent()) {
            text += "  ";
            text += QString::fromLatin1(row.command).toStdString();
        }
        if (!row.refusal.isEmpty()) {
            text += " (" + row.refusal.toStdString() + ')';
        }
        text += '\n';
    }
    return QByteArray::fromStdString(text);
}

QString CUploadListing::endText(const CUploadSummary& summary) {
    return summary.lines().join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString CUploadListing::text(const CUploadSummary& summary) {
    QByteArray text;
    for (const CDeviceOutcome& device : summary.devices) {
        text += deviceText(device, summary.dryRun);
    }
    return QString::fromUtf8(text) + endText(summary);
}

QByteArray CUploadListing::deviceJson(const CDeviceOutcome& device, bool dryRun) {
    std::string out = "{";
    appendMember(out, "device", view(device.label));
    if (device.queryRepeats > 0) {
        appendMember(out, "queryRepeats", device.queryRepeats);
    }
    if (device.reportedType) {
        appendMember(out, "reportedType", *device.reportedType);
    }
    out += "\"rows\":[";
    out.reserve(out.size() + device.rows.size() * 128);
    QByteArray place;
    for (size_t i = 0; i < device.rows.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendRow(out, device.rows[i], dryRun, place);
    }
    out += "],";
    appendMember(out, "status", CDeviceOutcome::statusName(device.status));
    closeObject(out);
    return QByteArray::fromStdString(out);
}

QByteArray CUploadListing::endJsonMembers(const CUploadSummary& summary) {
    const CUploadSummary::Counts c = summary.counts();
    QByteArray out;
    if (summary.armedUid) {
        out += ",\"armedUid\":" + QByteArray::number(*summary.armedUid);
    }
    std::string counts = "{";
    const std::pair<const char*, int> members[] = {
        {"confirmed", c.confirmed},
        {"confirmedWhenAsked", c.confirmedWhenAsked},
        {"failedSends", c.failedSends},
        {"matched", c.matched},
        {"notApplied", c.notApplied},
        {"notFound", c.notFound},
        {"queriesRepeated", c.queriesRepeated},
        {"refused", c.refused},
        {"sent", c.sent},
        {"setsRepeated", c.setsRepeated},
        {"skipped", c.skipped},
        {"toSend", c.toSend},
        {"typeMismatch", c.typeMismatch},
        {"unconfirmed", c.unconfirmed},
    };
    for (const auto& [name, value] : members) {
        appendMember(counts, name, value);
    }
    closeObject(counts);
    out += ",\"counts\":" + QByteArray::fromStdString(counts);
    out += summary.dryRun ? ",\"dryRun\":true" : ",\"dryRun\":false";
    return out;
}

QByteArray CUploadListing::json(const CUploadSummary& summary) {
    QByteArray out = "{\"devices\":[";
    for (size_t i = 0; i < summary.devices.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += deviceJson(summary.devices[i], summary.dryRun);
    }
    return out + ']' + endJsonMembers(summary) + "}\n";
}
