#include "core/journal/CJournalEntry.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr CJournalEntry::Outcome kOutcomes[] = {CJournalEntry::Outcome::Echoed,
                                                CJournalEntry::Outcome::Silent,
                                                CJournalEntry::Outcome::Refused};

}  // namespace

const char* CJournalEntry::outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Echoed:
            return "echoed";
        case Outcome::Silent:
            return "silent";
        case Outcome::Refused:
            return "refused";
    }
    return "";
}

QByteArray CJournalEntry::toJsonLine() const {
    const QJsonObject object{
        {QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("tool"), tool},
        {QStringLiteral("action"), action},
        {QStringLiteral("gateway"), gateway},
        {QStringLiteral("device"), device},
        {QStringLiteral("command"), command},
        {QStringLiteral("outcome"), QString::fromLatin1(outcomeName(outcome))},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<CJournalEntry> CJournalEntry::fromJsonLine(QByteArrayView line) {
    const QJsonDocument parsed = QJsonDocument::fromJson(line.toByteArray());
    if (!parsed.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = parsed.object();
    CJournalEntry entry;
    entry.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs)
            .toUTC();
    if (!entry.time.isValid()) {
        return std::nullopt;
    }
    entry.tool = object.value(QStringLiteral("tool")).toString();
    entry.action = object.value(QStringLiteral("action")).toString();
    entry.gateway = object.value(QStringLiteral("gateway")).toString();
    entry.device = object.value(QStringLiteral("device")).toString();
    entry.command = object.value(QStringLiteral("command")).toString();
    const QString outcome = object.value(QStringLiteral("outcome")).toString();
    bool known = false;
    for (const Outcome candidate : kOutcomes) {
        if (outcome == QLatin1String(outcomeName(candidate))) {
            entry.outcome = candidate;
            known = true;
        }
    }
    return known ? std::optional<CJournalEntry>(entry) : std::nullopt;
}
