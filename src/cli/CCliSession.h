#pragma once

#include "CCliOptions.h"
#include "CStderrNotifier.h"

#include "common/CSystemClock.h"
#include "plan/CErrorLog.h"
#include "plan/CUbrixVorelDoc.h"
#include "settings/CSettings.h"
#include "transport/CTransport.h"

#include <QByteArray>
#include <QObject>
#include <QTextStream>
#include <chrono>

// One run of the command-line tool: the same document, reply parser and transport as
// the program, driven by a command instead of a window. Output goes to out, progress
// and the program's messages to stderr.
class CCliSession : public QObject {
    Q_OBJECT

public:
    CCliSession(const CCliOptions& options, QTextStream& out, QObject* parent = nullptr);

    // Runs the command; the result is the exit code.
    int run();

    CUbrixVorelDoc& document() { return m_doc; }

private:
    int listAdapters();
    int discover();
    int query();
    int send();
    int monitor();
    int collect();

    bool start();
    bool selectAdapter();
    bool sendTo(const QByteArray& text, quint32 address);
    // Processes replies until none came for the quiet time, or the longest wait is over.
    void waitForReplies();
    void waitFor(std::chrono::milliseconds duration);
    void drainQueue();
    void progress(const QString& text) const;
    void printGateways();
    int savedMap();
    QList<QByteArray> gatewayAddresses() const;

    CCliOptions m_options;
    QTextStream& m_out;
    CStderrNotifier m_notifier;
    CSettings m_settings;
    CErrorLog m_errorLog;
    CUbrixVorelDoc m_doc;
    CTransport m_transport;
    std::chrono::steady_clock::time_point m_lastReply;
    bool m_receiveFailed = false;
    bool m_printTraffic = false;
    size_t m_printedHistory = 0;
};
