#include "core/traffic/CTraffic.h"

#include "core/settings/CSettings.h"

CTraffic::CTraffic(CSettings& settings, QObject* parent) : QObject(parent), m_settings(settings) {}

void CTraffic::append(QByteArray line) {
    m_log.write(line);
    m_history.push(std::move(line));
    emit lineAppended();
    m_history.trimIfFull();
}

void CTraffic::openLogIfOn() {
    if (m_settings.log != 0 && !openLog()) {
        m_settings.log = 0;
    }
}

void CTraffic::startLogging() {
    m_settings.log = 1;
    if (!openLog()) {
        m_settings.log = 0;
    }
}

bool CTraffic::openLog() {
    return m_log.open(m_settings.logFilePath(), m_settings.logLimitBytes());
}

void CTraffic::stopLogging() {
    m_settings.log = 0;
    // Every line went to the file as it arrived: nothing is written again.
    m_log.close();
}

bool CTraffic::isLogging() const {
    return m_settings.log != 0;
}

void CTraffic::close() {
    while (!m_inbound.isEmpty()) {
        QByteArray line = m_inbound.pop();
        m_log.write(line);
        m_history.push(std::move(line));
        m_history.trimIfFull();
    }
    m_log.close();
}
