#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>

// One change sent to a gateway or bus device, as the journal keeps it: one JSON object on
// one line, {"time": "2025-03-01T09:30:00.250Z", "tool": "vorel-cli", "action": "set",
// "gateway": "10.0.0.2", "device": "UID 12", "command": "#UID12.ALIAS=DESK;",
// "outcome": "echoed"}.
struct CJournalEntry {
    enum class Outcome {
        Echoed,   // the device reported the value sent
        Silent,   // nothing came back (a restart never answers)
        Refused,  // the device reported another value
    };

    QDateTime time;   // when it was sent, UTC
    QString tool;     // "vorel" or "vorel-cli"
    QString action;   // "set", "address", "upload", "restart", "preset", "replace"
    QString gateway;  // dotted; "all" for a broadcast
    QString device;   // "UID 12", "SN 812"; empty for the gateway itself
    QString command;  // as sent, but a credential's value is "(set)" or "(empty)"
    Outcome outcome = Outcome::Silent;

    static const char* outcomeName(Outcome outcome);
    // Without a line break.
    QByteArray toJsonLine() const;
    // Nothing for a line that is not such an object.
    static std::optional<CJournalEntry> fromJsonLine(QByteArrayView line);
};
