#include "core/journal/CJournalFile.h"

#include "core/settings/CDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// Reads one file's entries; a missing file has none.
bool readFile(const QString& path, std::vector<CJournalEntry>& entries, QString& reason) {
    QFile file(path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (std::optional<CJournalEntry> entry = CJournalEntry::fromJsonLine(line)) {
            entries.push_back(std::move(*entry));
        }
    }
    return true;
}

}  // namespace

QString CJournalFile::pathIn(const QString& dataFolder) {
    return CDataFolder::resolve(dataFolder, QLatin1String(kFileName));
}

bool CJournalFile::open(const QString& path, qint64 limitBytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return m_log.open(path, limitBytes);
}

void CJournalFile::append(const CJournalEntry& entry) {
    m_log.write(entry.toJsonLine());
    m_log.flush();
}

bool CJournalFile::read(const QString& path, std::vector<CJournalEntry>& entries, QString& reason) {
    entries.clear();
    if (!readFile(CTrafficLog::rotatedName(path), entries, reason) ||
        !readFile(path, entries, reason)) {
        return false;
    }
    // An entry is written once its outcome is known, so one that waited for its echo may
    // follow a later one.
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const CJournalEntry& a, const CJournalEntry& b) { return a.time < b.time; });
    return true;
}
