#include "core/traffic/CTrafficLog.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace {

constexpr QIODevice::OpenMode kAppend = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text;

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

CTrafficLog::~CTrafficLog() {
    close();
}

bool CTrafficLog::open(const QString& path, qint64 limitBytes) {
    close();
    m_file.setFileName(path);
    m_limit = limitBytes;
    if (!m_file.open(kAppend)) {
        return false;
    }
    m_size = m_file.size();
    m_sinceFlush.start();
    return true;
}

void CTrafficLog::close() {
    if (m_file.isOpen()) {
        m_file.close();
    }
    finishDiscarding();
}

void CTrafficLog::finishDiscarding() {
    if (m_discarding.joinable()) {
        m_discarding.join();
    }
}

void CTrafficLog::write(const QByteArray& line) {
    if (!m_file.isOpen()) {
        return;
    }
    const qint64 needed = line.size() + 1;
    if (m_size > 0 && m_size + needed > m_limit) {
        rotate();
        if (!m_file.isOpen()) {
            return;
        }
    }
    m_file.write(line);
    m_file.write("\n", 1);
    m_size += needed;
    if (m_sinceFlush.hasExpired(kFlushIntervalMs)) {
        flush();
    }
}

void CTrafficLog::flush() {
    if (m_file.isOpen()) {
        m_file.flush();
        m_sinceFlush.restart();
    }
}

void CTrafficLog::rotate() {
    const QString path = m_file.fileName();
    m_file.close();
    const std::filesystem::path rotated = fileSystemPath(rotatedName(path));
    // Freeing the blocks of a full older file takes tens of milliseconds (more where the
    // disk is trimmed on delete): it moves out of the way at once and goes on a thread.
    const std::filesystem::path discarded = rotated.string() + ".old";
    finishDiscarding();
    std::error_code failed;
    const bool hasOlder = std::filesystem::is_regular_file(rotated, failed) &&
                          (std::filesystem::rename(rotated, discarded, failed), !failed);
    std::filesystem::rename(fileSystemPath(path), rotated, failed);
    // Whether or not the file moved, logging goes on and no line is lost. A file that
    // could not move is appended to again, and moving it is tried one limit later.
    m_file.open(kAppend);
    if (hasOlder) {
        m_discarding = std::thread([discarded] {
            std::error_code ignored;
            std::filesystem::remove(discarded, ignored);
        });
    }
    m_size = 0;
    m_sinceFlush.restart();
    if (!failed) {
        ++m_rotations;
    }
}

QString CTrafficLog::rotatedName(const QString& path) {
    const QFileInfo file(path);
    const QString base = file.completeBaseName();
    const QString suffix = file.suffix();
    const QString name = base.isEmpty() || suffix.isEmpty() ? file.fileName() + QStringLiteral(".1")
                                                            : base + QStringLiteral(".1.") + suffix;
    const QString folder = path.left(path.size() - file.fileName().size());
    return folder + name;
}
