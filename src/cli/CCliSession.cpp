#include "cli/CCliSession.h"

#include "cli/CCliExit.h"

#include "core/common/CSystemClock.h"
#include "core/sequence/CSequenceRun.h"
#include "core/settings/CDataFolder.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CUDPListener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int /*signal*/) {
    g_interrupted.store(true);
}

QString dotted(quint32 address) {
    return QString::fromLatin1(CIpv4Address::toDotted(address));
}

}  // namespace

CCliSession::CCliSession(const CCliOptions& options, QFile& out, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_out(out),
      m_errorLog(CSystemClock::instance()),
      m_doc(m_settings, m_notifier, m_errorLog),
      m_transport(m_notifier, CSystemClock::instance(), m_doc.inboundQueue(),
                  m_doc.firewallSuspect()),
      m_journal(m_doc, m_timers, CSystemClock::instance(), QStringLiteral("vorel-cli"),
                CJournalFile::pathIn(
                    CDataFolder::forApplication(QLatin1String(CSettings::kApplication)))) {
    m_sequencer.watch(m_doc);
    connect(&m_transport, &CTransport::textSent, &m_journal, &CChangeJournal::noteSent);
    m_settings.log = 0;
    m_settings.sendPort = options.sendPort;
    m_settings.recvPort = options.receivePort;
    m_settings.mode = options.tcp ? CTransport::kModeTcp : CTransport::kModeUdp;
    m_transport.setTcpPort(options.tcpPort);
    connect(&m_transport, &CTransport::rxQueued, this, [this] {
        m_lastReply = std::chrono::steady_clock::now();
        m_doc.AddMsg();
    });
    connect(&m_doc, &CUbrixVorelDoc::updateAllViews, this, [this](quint32 hint) {
        if (hint != CUbrixVorelDoc::kHintTrafficLine) {
            return;
        }
        const QByteArray& line = m_doc.trafficHistory().back();
        m_replies.add(line);
        if (m_trafficHandler) {
            m_trafficHandler(line);
        }
    });
}

bool CCliSession::selectAdapter() {
    CAdapterTable table = CAdapterTable::fromCandidates(CAdapterTable::systemCandidates());
    if (m_options.loopback) {
        table.addDemoAdapter();
    } else if (!m_options.adapter.isEmpty()) {
        bool isNumber = false;
        const int index = m_options.adapter.toInt(&isNumber);
        int found = isNumber && index >= 0 && index < table.count() ? index : -1;
        for (int i = 0; found < 0 && i < table.count(); ++i) {
            const CAdapterEntry& entry = table.entries()[i];
            if (entry.name == m_options.adapter || dotted(entry.address) == m_options.adapter) {
                found = i;
            }
        }
        if (found < 0) {
            report(
                QStringLiteral("no adapter %1 (see 'vorel-cli adapters')").arg(m_options.adapter));
            return false;
        }
        table.select(found);
    } else if (!table.startupMessage().isEmpty()) {
        report(table.startupMessage());
    }
    m_transport.setAdapters(std::move(table));
    return true;
}

int CCliSession::start() {
    if (!selectAdapter()) {
        return CCliExit::kUsage;
    }
    m_doc.newPlan();
    m_transport.applySettings(m_settings);
    const int before = m_notifier.count();
    m_transport.StartTransport();
    CUDPListener* listener = m_transport.listener();
    if (listener == nullptr || !listener->isRunning() || m_notifier.count() != before) {
        return CCliExit::kNetwork;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return CCliExit::kOk;
}

bool CCliSession::send(const QByteArray& text, quint32 address) {
    m_lastReply = std::chrono::steady_clock::now();
    if (address == CIpv4Address::kBroadcast) {
        return m_transport.SendUdp(text, address, m_settings.sendPort);
    }
    return m_transport.SendText(text, address);
}

bool CCliSession::interrupted() {
    return g_interrupted.load();
}

void CCliSession::waitFor(std::chrono::milliseconds duration) {
    // In slices, so that Ctrl-C ends a long pause at once.
    constexpr qint64 kSliceMs = 25;
    QElapsedTimer elapsed;
    elapsed.start();
    for (qint64 left = duration.count(); !interrupted() && left > 0;
         left = duration.count() - elapsed.elapsed()) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(std::min(kSliceMs, left)), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}

bool CCliSession::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && !interrupted() && elapsed.elapsed() < limit.count()) {
        waitFor(std::chrono::milliseconds(25));
    }
    drainQueue();
    return done();
}

CSequenceRun::Outcome CCliSession::runSequence(const QString& name, CSequenceRun::StepSource steps,
                                               CPacing pacing) {
    return runLanes(name, std::vector<CSequenceRun::StepSource>{std::move(steps)}, pacing);
}

CSequenceRun::Outcome CCliSession::runLanes(const QString& name,
                                            std::vector<CSequenceRun::StepSource> lanes,
                                            CPacing pacing) {
    CSequenceRun* run = m_sequencer.start(name, std::move(lanes), pacing);
    if (const std::optional<CSequenceRun::Outcome> over = run->outcome()) {
        return *over;
    }
    CSequenceRun::Outcome outcome = CSequenceRun::Outcome::Stopped;
    const QMetaObject::Connection ending =
        connect(run, &CSequenceRun::finished, this,
                [&outcome](CSequenceRun::Outcome ended) { outcome = ended; });
    runToEnd(*run);
    disconnect(ending);  // the outcome it writes lives no longer than this call
    return outcome;
}

void CCliSession::pace() {
    waitFor(std::chrono::milliseconds(m_options.paceMs));
}

void CCliSession::waitForReplies() {
    using namespace std::chrono;
    QElapsedTimer elapsed;
    elapsed.start();
    m_lastReply = steady_clock::now();
    while (!interrupted() && elapsed.elapsed() < m_options.waitMs) {
        waitFor(milliseconds(25));
        if (steady_clock::now() - m_lastReply >= milliseconds(m_options.quietMs)) {
            break;
        }
    }
    drainQueue();
}

void CCliSession::drainQueue() {
    QCoreApplication::processEvents();
    // A keypad status or a query echo ends a drain; the lines behind it still count.
    for (int drains = 0; drains < 10000 && !m_doc.inboundQueue().isEmpty(); ++drains) {
        m_doc.AddMsg();
    }
}

void CCliSession::runToEnd(CSequenceRun& run) {
    if (run.outcome()) {
        return;
    }
    QEventLoop loop;
    connect(&run, &CSequenceRun::finished, &loop, &QEventLoop::quit);
    QTimer interruption;
    connect(&interruption, &QTimer::timeout, &run, [&run] {
        if (interrupted()) {
            run.stop();
        }
    });
    interruption.start(std::chrono::milliseconds(25));
    loop.exec();
}

std::optional<quint32> CCliSession::address(const QString& text) {
    bool ok = false;
    const quint32 address = CIpv4Address::fromDotted(text.toLatin1(), &ok);
    if (!ok) {
        report(QStringLiteral("%1 is not an IPv4 address").arg(text));
        return std::nullopt;
    }
    return address;
}

int CCliSession::startTowards(const QString& destination) {
    const std::optional<quint32> given = destination.isEmpty()
                                             ? std::optional<quint32>(CIpv4Address::kBroadcast)
                                             : address(destination);
    if (!given) {
        return CCliExit::kUsage;
    }
    m_destination = *given;
    return start();
}

bool CCliSession::isFromDestination(QByteArrayView sender) const {
    return m_destination == CIpv4Address::kBroadcast ||
           sender == CIpv4Address::toDotted(m_destination);
}

QList<QByteArray> CCliSession::gatewayAddresses() const {
    QList<QByteArray> addresses;
    for (const pugi::xpath_node& hit :
         m_doc.plan().select_nodes("/Plan/Device_Configuration/UBRIX[@IP]")) {
        addresses << QByteArray(hit.node().attribute("IP").value());
    }
    return addresses;
}

void CCliSession::print(const QString& text) {
    printBytes(text.toUtf8());
}

void CCliSession::printBytes(const QByteArray& bytes) {
    m_out.write(bytes);
    m_out.flush();
}

void CCliSession::printJson(const QJsonObject& object) {
    printBytes(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void CCliSession::progress(const QString& text) const {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
