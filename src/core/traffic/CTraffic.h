#pragma once

#include "core/traffic/CTrafficHistory.h"
#include "core/traffic/CTrafficLog.h"
#include "core/transport/CInboundQueue.h"

#include <QByteArray>
#include <QObject>
#include <atomic>
#include <deque>

class CSettings;

// What the program hears, before the plan makes sense of it: the inbound queue that the
// receive side fills, the traffic history the traffic view shows, the log file that keeps
// every line, and whether our own broadcasts are still unheard (a firewall is suspected
// until the receive thread hears one of them).
class CTraffic : public QObject {
    Q_OBJECT

public:
    explicit CTraffic(CSettings& settings, QObject* parent = nullptr);

    CInboundQueue& inboundQueue() { return m_inbound; }
    std::atomic<bool>& firewallSuspect() { return m_firewallSuspect; }
    const std::deque<QByteArray>& history() const { return m_history.lines(); }
    const CTrafficHistory& session() const { return m_history; }
    void clearHistory() { m_history.clear(); }
    const CTrafficLog& log() const { return m_log; }

    // A line into the log and the history; lineAppended() goes out before the history is
    // trimmed, so a view always finds the line it was told of.
    void append(QByteArray line);
    // Puts a burst on disk at once, whoever reads the file.
    void flushLog() { m_log.flush(); }

    // Opens the log when the settings say to log, and drops the setting when it cannot.
    void openLogIfOn();
    void startLogging();
    void stopLogging();
    bool isLogging() const;
    // The lines still queued go into the history and the log unparsed; the log closes.
    void close();

signals:
    void lineAppended();

private:
    bool openLog();

    CSettings& m_settings;
    CTrafficHistory m_history;
    CTrafficLog m_log;
    CInboundQueue m_inbound;
    std::atomic<bool> m_firewallSuspect{true};
};
