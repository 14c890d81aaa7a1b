#pragma once

#include "cli/CCliOptions.h"
#include "cli/CCliReplyLog.h"
#include "cli/CStderrNotifier.h"

#include "core/common/CQtTimerSource.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/journal/CChangeJournal.h"
#include "core/plan/CErrorLog.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CTransport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <chrono>
#include <functional>
#include <optional>

class CSequenceRun;
class QJsonObject;

// What every command of vorel-cli works with: the program's own document, reply parser
// and transport, driven from a terminal. Data goes to out (stdout), progress and the
// program's messages to stderr.
class CCliSession : public QObject {
    Q_OBJECT

public:
    CCliSession(const CCliOptions& options, QFile& out, QObject* parent = nullptr);

    const CCliOptions& options() const { return m_options; }
    CUbrixVorelDoc& document() { return m_doc; }
    CTransport& transport() { return m_transport; }
    // Every reply heard since start(), as sent.
    const CCliReplyLog& replies() const { return m_replies; }
    // Every change sent is journalled in the user's data folder.
    CChangeJournal& journal() { return m_journal; }

    // Picks the adapter, makes an empty plan and starts reception; CCliExit::kOk or the
    // code to exit with (the reason is on stderr already).
    int start();
    // The command text to one gateway (TCP with --tcp) or, for CIpv4Address::kBroadcast,
    // to every gateway by UDP.
    bool send(const QByteArray& text, quint32 address);
    // Handles replies until none came for the quiet time, or the longest wait is over.
    void waitForReplies();
    // The pause between commands sent in a row; replies are handled meanwhile.
    void pace();
    void waitFor(std::chrono::milliseconds duration);
    // Handles replies until done() holds or the limit is over; returns done().
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Runs a sequence of the core to its end, on the program's timers; Ctrl-C stops it.
    CSequenceRun::Outcome runSequence(const QString& name, CSequenceRun::StepSource steps,
                                      CPacing pacing);
    // The same for a run whose lanes go on at the same time.
    CSequenceRun::Outcome runLanes(const QString& name, std::vector<CSequenceRun::StepSource> lanes,
                                   CPacing pacing);
    // Handles the replies that are waiting now.
    void drainQueue();
    // Handles replies until the run is over; Ctrl-C stops it.
    void runToEnd(CSequenceRun& run);
    // True once Ctrl-C or SIGTERM came.
    static bool interrupted();
    // Called with every traffic line as it is entered into the history.
    void onTrafficLine(std::function<void(const QByteArray& line)> handler) {
        m_trafficHandler = std::move(handler);
    }

    // An IPv4 address given on the command line; nothing (and a message) when it is not one.
    std::optional<quint32> address(const QString& text);
    // The start of a command to the gateway given on the command line, or to every gateway
    // when none was: reads the address, then starts. kOk or the code to exit with.
    int startTowards(const QString& destination);
    // Where startTowards aimed (CIpv4Address::kBroadcast: every gateway).
    quint32 destination() const { return m_destination; }
    // Whether a reply from sender ("a.b.c.d") answers a command sent there.
    bool isFromDestination(QByteArrayView sender) const;
    // The gateways of the plan, "a.b.c.d" each, in document order.
    QList<QByteArray> gatewayAddresses() const;

    void print(const QString& text);
    void printBytes(const QByteArray& bytes);
    // One object on one line.
    void printJson(const QJsonObject& object);
    void progress(const QString& text) const;
    void report(const QString& message) { m_notifier.showMessage(message); }

private:
    bool selectAdapter();

    CCliOptions m_options;
    QFile& m_out;
    CStderrNotifier m_notifier;
    CSettings m_settings;
    CErrorLog m_errorLog;
    CUbrixVorelDoc m_doc;
    CTransport m_transport;
    CCliReplyLog m_replies;
    CQtTimerSource m_timers;
    CSequencer m_sequencer{m_timers};
    std::function<void(const QByteArray&)> m_trafficHandler;
    std::chrono::steady_clock::time_point m_lastReply;
    CChangeJournal m_journal;
    quint32 m_destination = 0;
};
