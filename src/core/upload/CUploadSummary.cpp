#include "core/upload/CUploadSummary.h"

#include <algorithm>

namespace {

using Outcome = CUploadRow::Outcome;
using Delivery = CUploadRow::Delivery;
using Status = CDeviceOutcome::Status;
using Refusal = CUploadDevice::Refusal;

bool keepsAnotherValue(Outcome outcome) {
    return outcome == Outcome::NotAnOption || outcome == Outcome::ReadOnly ||
           outcome == Outcome::UnsafeValue || outcome == Outcome::InvalidValue;
}

QString refusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::UnusableAddress:
            return QStringLiteral("no address a gateway can have yet");
        case Refusal::NotAUid:
            return QStringLiteral("no bus address (UID)");
        case Refusal::SerialOnly:
            return QStringLiteral("known by its serial number only");
        case Refusal::Duplicate:
            return QStringLiteral("appears more than once in the project");
        case Refusal::None:
            break;
    }
    return {};
}

QString deviceLine(const CDeviceOutcome& device) {
    QString line = QString::fromUtf8(device.label) + QStringLiteral(": ") +
                   QString::fromLatin1(CDeviceOutcome::statusName(device.status));
    if (device.status == Status::Refused) {
        line += QStringLiteral(" (") + refusalText(device.refusal) + QLatin1Char(')');
    } else if (device.status == Status::TypeMismatch && device.reportedType) {
        line += QStringLiteral(" (reports ") + QString::fromStdString(*device.reportedType) +
                QLatin1Char(')');
    }
    return line;
}

QString rowLine(const CDeviceOutcome& device, const CUploadRow& row) {
    QString line = QString::fromUtf8(device.label) + QLatin1Char(' ') +
                   QString::fromUtf8(row.placeText()) + QStringLiteral(": ");
    if (row.isSent()) {
        return line + (row.delivery == Delivery::AnsweredOther
                           ? QStringLiteral("sent, the device answered ") +
                                 QString::fromLatin1(row.answered)
                           : QStringLiteral("sent, no echo"));
    }
    line += QString::fromLatin1(CUploadRow::outcomeName(row.outcome));
    if (!row.refusal.isEmpty()) {
        line += QStringLiteral(" (") + row.refusal + QLatin1Char(')');
    }
    return line;
}

// Why settings were skipped, as "not reported 2, empty 1", in the order of the outcomes.
QString skippedReasons(const CUploadCounts& counts) {
    QStringList reasons;
    const std::pair<Outcome, int> skipped[] = {{Outcome::NotReported, counts.notReported},
                                               {Outcome::NotInSchema, counts.notInSchema},
                                               {Outcome::EmptyValue, counts.emptyValue}};
    for (const auto& [outcome, count] : skipped) {
        if (count > 0) {
            reasons << QStringLiteral("%1 %2")
                           .arg(QLatin1String(CUploadRow::outcomeName(outcome)))
                           .arg(count);
        }
    }
    return reasons.join(QStringLiteral(", "));
}

bool isConfirmed(const CUploadRow& row) {
    return row.delivery == Delivery::Confirmed || row.delivery == Delivery::ReportedWhenAsked;
}

bool isNamedAtTheEnd(const CUploadRow& row) {
    const bool unconfirmed = row.isSent() && !isConfirmed(row) && row.delivery != Delivery::NotSent;
    return keepsAnotherValue(row.outcome) || unconfirmed;
}

void countRow(const CUploadRow& row, bool dryRun, CUploadCounts& counts) {
    counts.setsRepeated += row.repeats;
    if (row.outcome == Outcome::Match) {
        ++counts.matched;
    } else if (keepsAnotherValue(row.outcome)) {
        ++counts.notApplied;
    } else if (!row.isSent()) {
        ++counts.skipped;
        counts.notReported += row.outcome == Outcome::NotReported ? 1 : 0;
        counts.notInSchema += row.outcome == Outcome::NotInSchema ? 1 : 0;
        counts.emptyValue += row.outcome == Outcome::EmptyValue ? 1 : 0;
    } else if (isConfirmed(row)) {
        ++counts.sent;
        ++counts.confirmed;
        counts.confirmedWhenAsked += row.delivery == Delivery::ReportedWhenAsked ? 1 : 0;
    } else if (row.delivery == Delivery::NotSent) {
        ++(dryRun ? counts.toSend : counts.notApplied);
    } else if (row.delivery != Delivery::SendFailed) {
        ++counts.sent;
        ++counts.unconfirmed;
    }
}

void countStatus(CDeviceOutcome::Status status, CUploadCounts& counts) {
    switch (status) {
        case Status::NotFound:
            ++counts.notFound;
            break;
        case Status::TypeMismatch:
            ++counts.typeMismatch;
            break;
        case Status::NoTemplateType:
        case Status::Refused:
            ++counts.refused;
            break;
        case Status::PassedOver:
            ++counts.passedOver;
            break;
        case Status::SendFailed:
            ++counts.failedSends;
            break;
        case Status::OtherTcpGateway:
            ++counts.otherTcpGateway;
            break;
        case Status::NotReached:
            ++counts.notReached;
            break;
        case Status::Compared:
            break;
    }
}

}  // namespace

CUploadSummary::Counts CUploadSummary::countsOf(const CDeviceOutcome& device, bool dryRun) {
    Counts counts;
    countStatus(device.status, counts);
    counts.queriesRepeated += device.queryRepeats;
    if (device.rowCounts) {
        counts += *device.rowCounts;
        return counts;
    }
    for (const CUploadRow& row : device.rows) {
        countRow(row, dryRun, counts);
    }
    return counts;
}

void CUploadSummary::letRowsGo(CDeviceOutcome& device, bool dryRun) {
    if (device.rowCounts) {
        return;
    }
    CUploadCounts rows;
    for (const CUploadRow& row : device.rows) {
        countRow(row, dryRun, rows);
    }
    device.rows.erase(std::remove_if(device.rows.begin(), device.rows.end(),
                                     [](const CUploadRow& row) { return !isNamedAtTheEnd(row); }),
                      device.rows.end());
    device.rows.shrink_to_fit();
    device.rowCounts = rows;
}

void CUploadSummary::hideSecrets(CDeviceOutcome& device) {
    for (CUploadRow& row : device.rows) {
        row.hideSecret();
    }
}

void CUploadSummary::hideSecrets() {
    for (CDeviceOutcome& device : devices) {
        hideSecrets(device);
    }
}

CUploadSummary::Counts CUploadSummary::counts() const {
    Counts counts;
    for (const CDeviceOutcome& device : devices) {
        counts += countsOf(device, dryRun);
    }
    return counts;
}

QStringList CUploadSummary::lines() const {
    const Counts c = counts();
    QStringList lines;
    switch (ending) {
        case Ending::Completed:
            lines << (dryRun ? QStringLiteral("Preview complete.")
                             : QStringLiteral("Upload complete."));
            break;
        case Ending::Cancelled:
            lines << QStringLiteral("Upload cancelled.");
            break;
        case Ending::Stopped:
            lines << QStringLiteral("Upload stopped.");
            break;
    }
    if (dryRun) {
        lines << QStringLiteral("To send: %1").arg(c.toSend);
    } else {
        QString sent = QStringLiteral("Sent: %1, confirmed by echo: %2, without echo: %3")
                           .arg(c.sent)
                           .arg(c.confirmed - c.confirmedWhenAsked)
                           .arg(c.unconfirmed);
        if (c.confirmedWhenAsked > 0) {
            sent += QStringLiteral(", confirmed when asked again: %1").arg(c.confirmedWhenAsked);
        }
        lines << sent;
    }
    QString matched = QStringLiteral("Matched: %1, not applied: %2, skipped: %3")
                          .arg(c.matched)
                          .arg(c.notApplied)
                          .arg(c.skipped);
    if (c.skipped > 0) {
        matched += QStringLiteral(" (") + skippedReasons(c) + QLatin1Char(')');
    }
    lines << matched;
    lines << QStringLiteral("Not found: %1, type mismatch: %2, failed sends: %3")
                 .arg(c.notFound)
                 .arg(c.typeMismatch)
                 .arg(c.failedSends);
    if (c.queriesRepeated + c.setsRepeated > 0) {
        lines << QStringLiteral("Sent again when no answer came: %1 queries, %2 settings")
                     .arg(c.queriesRepeated)
                     .arg(c.setsRepeated);
    }
    if (armedUid) {
        lines << QStringLiteral(
                     "Gateways are still armed for UID %1: the next device whose discover "
                     "button is pressed takes it.")
                     .arg(*armedUid);
    }
    for (const CDeviceOutcome& device : devices) {
        if (device.status != Status::Compared) {
            lines << deviceLine(device);
        }
        for (const CUploadRow& row : device.rows) {
            if (isNamedAtTheEnd(row)) {
                lines << rowLine(device, row);
            }
        }
    }
    return lines;
}

int CUploadSummary::exitCode() const {
    const Counts c = counts();
    if (c.failedSends > 0) {
        return kExitSendFailed;
    }
    const int devicesAsked = static_cast<int>(devices.size()) - c.refused - c.notReached;
    if (ending == Ending::Completed && devicesAsked > 0 &&
        c.notFound + c.passedOver == devicesAsked) {
        return kExitNothingAnswered;
    }
    const bool everythingApplied =
        ending == Ending::Completed && c.notFound == 0 && c.typeMismatch == 0 && c.refused == 0 &&
        c.passedOver == 0 && c.otherTcpGateway == 0 && c.notApplied == 0 && c.unconfirmed == 0;
    return everythingApplied ? kExitApplied : kExitPartly;
}
