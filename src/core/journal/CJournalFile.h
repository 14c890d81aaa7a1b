#pragma once

#include "core/journal/CJournalEntry.h"
#include "core/traffic/CTrafficLog.h"

#include <QString>
#include <vector>

// The journal's file in the user's data folder: one entry a line, appended, and bounded as
// the traffic log is (past the limit the file moves aside to "journal.1.jsonl", replacing
// an older one), so the two files hold the latest changes and never grow without end. The
// program and vorel-cli append to the same file; each line reaches the disk at once.
class CJournalFile {
public:
    static constexpr const char* kFileName = "journal.jsonl";
    static constexpr qint64 kLimitBytes = qint64{4} * 1024 * 1024;

    // The journal in a data folder (CDataFolder).
    static QString pathIn(const QString& dataFolder);

    // Opens for appending, making its folder when missing; false when the file cannot be
    // opened (nothing is then written).
    bool open(const QString& path, qint64 limitBytes = kLimitBytes);
    bool isOpen() const { return m_log.isOpen(); }
    void append(const CJournalEntry& entry);
    void close() { m_log.close(); }

    // Every entry of the journal at path, the moved-aside file's first, in time order.
    // Lines that are not entries are passed over. False, with the reason, when a file that
    // exists cannot be read.
    static bool read(const QString& path, std::vector<CJournalEntry>& entries, QString& reason);

private:
    CTrafficLog m_log;
};
