#include "CUploadReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Outcome = CUploadRow::Outcome;
using Delivery = CUploadRow::Delivery;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString deviceHeading(const CDeviceOutcome& device) {
    QString heading = QString::fromUtf8(device.label);
    if (device.reportedType) {
        heading += QStringLiteral(" (") + fromUtf8(*device.reportedType) + QLatin1Char(')');
    }
    return heading + QStringLiteral(": ") +
           QString::fromLatin1(CDeviceOutcome::statusName(device.status));
}

QJsonObject rowObject(const CUploadRow& row, bool dryRun) {
    QJsonObject object{
        {QStringLiteral("place"), QString::fromUtf8(row.placeText())},
        {QStringLiteral("value"), fromUtf8(row.setting.value)},
        {QStringLiteral("outcome"), QString::fromLatin1(CUploadRow::outcomeName(row.outcome))},
        {QStringLiteral("action"), CUploadReport::rowAction(row, dryRun)},
    };
    if (row.reported) {
        object.insert(QStringLiteral("reported"), fromUtf8(*row.reported));
    }
    if (row.isSent()) {
        object.insert(QStringLiteral("command"), QString::fromLatin1(row.command));
    }
    if (!row.refusal.isEmpty()) {
        object.insert(QStringLiteral("reason"), row.refusal);
    }
    if (row.repeats > 0) {
        object.insert(QStringLiteral("repeats"), row.repeats);
    }
    return object;
}

}  // namespace

QString CUploadReport::rowAction(const CUploadRow& row, bool dryRun) {
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
        case Delivery::AnsweredOther:
            return QStringLiteral("sent, the device answered ") + QString::fromLatin1(row.answered);
        case Delivery::SendFailed:
            return QStringLiteral("send failed");
    }
    return {};
}

QString CUploadReport::text(const CUploadSummary& summary) {
    QString text;
    for (const CDeviceOutcome& device : summary.devices) {
        text += deviceHeading(device) + QLatin1Char('\n');
        for (const CUploadRow& row : device.rows) {
            QString line = QStringLiteral("  ") + QString::fromUtf8(row.placeText()) +
                           QStringLiteral(" = ") + fromUtf8(row.setting.value);
            if (row.reported && row.outcome != Outcome::Match) {
                line += QStringLiteral(" (device: ") + fromUtf8(*row.reported) + QLatin1Char(')');
            }
            line += QStringLiteral(": ") + rowAction(row, summary.dryRun);
            if (row.repeats > 0) {
                line += QStringLiteral(" (sent %1 times)").arg(row.repeats + 1);
            }
            if (row.isSent()) {
                line += QStringLiteral("  ") + QString::fromLatin1(row.command);
            }
            if (!row.refusal.isEmpty()) {
                line += QStringLiteral(" (") + row.refusal + QLatin1Char(')');
            }
            text += line + QLatin1Char('\n');
        }
    }
    return text + summary.lines().join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray CUploadReport::json(const CUploadSummary& summary) {
    QJsonArray devices;
    for (const CDeviceOutcome& device : summary.devices) {
        QJsonArray rows;
        for (const CUploadRow& row : device.rows) {
            rows.append(rowObject(row, summary.dryRun));
        }
        QJsonObject object{
            {QStringLiteral("device"), QString::fromUtf8(device.label)},
            {QStringLiteral("status"),
             QString::fromLatin1(CDeviceOutcome::statusName(device.status))},
            {QStringLiteral("rows"), rows},
        };
        if (device.reportedType) {
            object.insert(QStringLiteral("reportedType"), fromUtf8(*device.reportedType));
        }
        if (device.queryRepeats > 0) {
            object.insert(QStringLiteral("queryRepeats"), device.queryRepeats);
        }
        devices.append(object);
    }
    const CUploadSummary::Counts c = summary.counts();
    QJsonObject counts{
        {QStringLiteral("toSend"), c.toSend},
        {QStringLiteral("sent"), c.sent},
        {QStringLiteral("confirmed"), c.confirmed},
        {QStringLiteral("unconfirmed"), c.unconfirmed},
        {QStringLiteral("matched"), c.matched},
        {QStringLiteral("notApplied"), c.notApplied},
        {QStringLiteral("skipped"), c.skipped},
        {QStringLiteral("notFound"), c.notFound},
        {QStringLiteral("typeMismatch"), c.typeMismatch},
        {QStringLiteral("refused"), c.refused},
        {QStringLiteral("failedSends"), c.failedSends},
        {QStringLiteral("queriesRepeated"), c.queriesRepeated},
        {QStringLiteral("setsRepeated"), c.setsRepeated},
    };
    QJsonObject root{{QStringLiteral("devices"), devices},
                     {QStringLiteral("counts"), counts},
                     {QStringLiteral("dryRun"), summary.dryRun}};
    if (summary.armedUid) {
        root.insert(QStringLiteral("armedUid"), *summary.armedUid);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
