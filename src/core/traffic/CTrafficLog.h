#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <thread>

// The traffic log file: every line that arrives while logging is appended once, with a
// line break, and reaches the disk within a flush interval (at once when the caller
// flushes after a burst). The file is bounded: a line that would take it past the size
// limit first moves it aside to the rotated name ("logfile.txt" -> "logfile.1.txt",
// replacing an older one) and starts a new file, so a line is always whole in one file
// and the two files together never hold more than twice the limit (for the moment an
// older file is being deleted, on a thread of its own, three).
class CTrafficLog {
public:
    static constexpr qint64 kFlushIntervalMs = 250;

    ~CTrafficLog();

    // Opens (creating, keeping contents) for appending. A limit below one line's worth
    // still takes every line: a file that is empty takes any line.
    bool open(const QString& path, qint64 limitBytes);
    // Flushes and closes; waits until an older file moved aside is gone.
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    void write(const QByteArray& line);
    void flush();

    QString path() const { return m_file.fileName(); }
    // The current file's size as written so far, buffered bytes included.
    qint64 size() const { return m_size; }
    int rotations() const { return m_rotations; }

    // "logfile.txt" -> "logfile.1.txt", "traffic" -> "traffic.1", in the same folder.
    static QString rotatedName(const QString& path);

private:
    void rotate();
    void finishDiscarding();

    QFile m_file;
    qint64 m_limit = 0;
    qint64 m_size = 0;
    int m_rotations = 0;
    QElapsedTimer m_sinceFlush;
    // Deletes the file that the last move replaced (see rotate()).
    std::thread m_discarding;
};
