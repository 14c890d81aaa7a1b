#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The traffic lines a person sees, written out for other programs: as text (each line as
// shown, one per line) or as CSV (time, sender and text in columns under a heading row,
// whatever the view leaves out). Both are UTF-8 of the reading the screen uses, so what
// the file says is what the view said.
class CTrafficExport {
public:
    enum class Format { Text, Csv };

    // CSV for a name ending in ".csv" (any case), text otherwise.
    static Format formatFor(const QString& path);
    // shown: the lines as the view renders them.
    static QByteArray text(const QList<QByteArray>& shown);
    // received: the same lines as they were received, with time stamp and sender.
    static QByteArray csv(const QList<QByteArray>& received);
    // Writes the whole file or nothing; empty on success, else the reason.
    static QString save(const QString& path, const QByteArray& content);
};
