#include "core/plan/CErrorLog.h"

#include "core/common/IClock.h"

#include <QFile>

CErrorLog::CErrorLog(IClock& clock, QString path) : m_clock(clock), m_path(std::move(path)) {}

void CErrorLog::write(const QByteArray& report) const {
    if (m_path.isEmpty()) {
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text)) {
        return;
    }
    const QDateTime now = m_clock.now();
    const QDate date = now.date();
    const QTime time = now.time();
    QByteArray line = QByteArray("[") + QByteArray::number(date.month()).rightJustified(2, '0') +
                      '/' + QByteArray::number(date.day()).rightJustified(2, '0') + '/' +
                      QByteArray::number(date.year()).rightJustified(2, '0') + ' ' +
                      QByteArray::number(time.hour()).rightJustified(2, '0') + ':' +
                      QByteArray::number(time.minute()).rightJustified(2, '0') + ':' +
                      QByteArray::number(time.second()).rightJustified(2, '0') + "] " + report +
                      '\n';
    file.write(line);
}
