// The bus view under the collection of the largest site (CLargeSite: 20 gateways x 256
// devices x about 200 settings, a million replies), the whole view (CUbrixVorelTMap) shown.
// A producer thread queues the replies as the receive thread does, as a collection brings
// them: every gateway's bus at the same time, one device after another on each, at a pace
// set on the command line (lines a second, far above a real site's by default). The GUI
// thread drains them into the plan as the main frame does, and the view follows.
// Printed: how long after the last reply the tree was complete, the longest stall of the
// event loop meanwhile (a 2 ms heartbeat measures it), the memory of the process with the
// site in the plan and the view open, and the same site loaded again from a map file.
// Then the view on a site of 20 gateways x 64 devices played by the simulator in this
// process on the machine's clock (its latency model twice as fast as BenchUpload's): the
// site is registered, collected (every bus at once) and uploaded (10 changed settings a
// device, every bus at once), and the longest stall of the event loop is printed (goal:
// none over 50 ms).
//
//   BenchBusView [LINES_PER_SECOND]     (default 100000)
#include "CChangedProject.h"
#include "CLargeSite.h"
#include "core/bus/CBusCollection.h"
#include "core/common/CQtTimerSource.h"
#include "core/common/CSystemClock.h"
#include "core/document/CReplyDrain.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CTransport.h"
#include "core/upload/CBusUpload.h"
#include "core/upload/IUploadLink.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "gui/views/CUbrixVorelTMap.h"
#include "support/CRecordingNotifier.h"
#include "support/sim/CSimDirectLink.h"

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

using Report = QList<QByteArray>;

// One device's report as its replies bring it: the type, then every setting.
Report deviceReport(const QByteArray& gateway, const CSimBusDevice& device) {
    const QByteArray prefix =
        "[10:00:00] (" + gateway + ") !UID" + QByteArray::number(device.uid().value_or(0)) + ".";
    Report lines{prefix + "TYPE=" + device.type() + ";"};
    const CSimSettings settings = CLargeSite::grown(device.settings());
    for (const CSimSetting& setting : settings.all()) {
        lines.append(prefix + setting.address.text() + "=" + setting.value + ";");
    }
    return lines;
}

// The reports in the order a collection of every bus at once brings them: the first device
// of every gateway, then the second of every gateway, and so on.
QList<Report> collectionOrder(const CSimSite& site, long long& lines) {
    QList<Report> rounds(CLargeSite::kDevicesPerGateway);
    lines = 0;
    for (const CSimGateway& gateway : site.gateways()) {
        const QByteArray address = CIpv4Address::toDotted(gateway.address());
        for (int d = 0; d < gateway.devices().size() && d < rounds.size(); ++d) {
            const Report report = deviceReport(address, gateway.devices()[d]);
            rounds[d].append(report);
            lines += report.size();
        }
    }
    return rounds;
}

qint64 threadCpuNs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double megabytes(long kilobytes) {
    return static_cast<double>(kilobytes) / 1024.0;
}

long peakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The kernel's high-water mark of this process's resident memory since it was last reset
// (getrusage keeps the highest of the threads that ended, so it cannot be reset).
long highWaterKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return 0;
}

void resetHighWater() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) {
        clearRefs.write("5");
    }
}

long residentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Every gateway is there with every device, and every device has its sections.
bool treeComplete(const CUbrixVorelTMap& view) {
    const CBusTreeItem* root = view.model().root();
    if (root->childCount() != CLargeSite::kGateways) {
        return false;
    }
    for (int g = 0; g < root->childCount(); ++g) {
        const CBusTreeItem* gateway = root->child(g);
        if (gateway->childCount() != CLargeSite::kDevicesPerGateway ||
            gateway->child(gateway->childCount() - 1)->childCount() == 0) {
            return false;
        }
    }
    return true;
}

// The event loop's longest stall, by a heartbeat every 2 ms: the longest gap between two
// ticks, and how much of it the GUI thread itself was busy.
class CHeartbeat {
public:
    CHeartbeat() {
        m_since.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    void start(const std::function<void()>& onTick) {
        m_onTick = onTick;
        m_lastNs = m_since.nsecsElapsed();
        m_startNs = m_lastNs;
        m_lastCpuNs = threadCpuNs();
        m_longestNs = 0;
        m_longestCpuNs = 0;
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    qint64 nowNs() const { return m_since.nsecsElapsed(); }
    double longestMs() const { return static_cast<double>(m_longestNs) / 1e6; }
    double longestCpuMs() const { return static_cast<double>(m_longestCpuNs) / 1e6; }
    // When the longest stall ended, from the start.
    double longestEndMs() const { return static_cast<double>(m_longestEndNs) / 1e6; }

private:
    void tick() {
        const qint64 now = m_since.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (now - m_lastNs > m_longestNs) {
            m_longestNs = now - m_lastNs;
            m_longestCpuNs = cpu - m_lastCpuNs;
            m_longestEndNs = now - m_startNs;
        }
        m_lastNs = now;
        m_lastCpuNs = cpu;
        m_onTick();
    }

    QElapsedTimer m_since;
    QTimer m_timer;
    std::function<void()> m_onTick;
    qint64 m_lastNs = 0;
    qint64 m_lastCpuNs = 0;
    qint64 m_longestNs = 0;
    qint64 m_longestCpuNs = 0;
    qint64 m_startNs = 0;
    qint64 m_longestEndNs = 0;
};

// The uploads' way out to a site in this process: every text reaches the site at once.
class CDirectUploadLink : public IUploadLink {
public:
    CDirectUploadLink(CSimDirectLink& link, const QElapsedTimer& clock)
        : m_link(link), m_clock(clock) {}
    bool send(const QByteArray& text, quint32 address) override {
        m_link.send(text, address, m_clock.elapsed());
        return true;
    }
    QByteArray reachesInstead(quint32 /*address*/) const override { return {}; }
    void showError(const QString& /*text*/) override {}
    Answer askDiscover(const QString& /*text*/) override { return Answer::No; }

private:
    CSimDirectLink& m_link;
    const QElapsedTimer& m_clock;
};

// Runs the event loop until the run has finished.
void waitFor(CSequenceRun* run) {
    if (run == nullptr || !run->isRunning()) {
        return;
    }
    QEventLoop loop;
    QObject::connect(run, &CSequenceRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

// The bus view while a 20 x 64 site is registered, collected and uploaded in real time.
void collectAndUploadWhileShown(const QString& folder) {
    constexpr int kGateways = 20;
    constexpr int kDevices = 64;
    constexpr int kChanges = 10;
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(QCoreApplication::applicationDirPath(), error)) {
        qFatal("models: %s", qPrintable(error));
    }
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses.append(
            CIpv4Address::fromHostOrder(0x0A000002u + (static_cast<quint32>(g) << 8)));
    }
    config.devicesPerGateway = kDevices;
    std::optional<CSimSite> site = CSimSiteBuilder::build(models, config, error);
    if (!site) {
        qFatal("site: %s", qPrintable(error));
    }
    CSimLatency latency;
    latency.gatewayMs = 1;
    latency.busMs = 20;
    latency.busPerSettingMs = 4;
    latency.jitterMs = 2;
    site->setLatency(latency);
    QByteArray devices;
    const CValidationSchema schema(site->models().schema());
    for (const CSimGateway& gateway : site->gateways()) {
        for (const CSimBusDevice& device : gateway.devices()) {
            devices += CChangedProject::device("UID='" + QByteArray::number(*device.uid()) + "'",
                                               device.type(), device.settings(), schema, kChanges);
        }
    }
    const QString project = folder + QStringLiteral("/project.xml");
    QFile file(project);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
                   "</Device_Configuration><Network_Configuration/></Plan>") < 0) {
        qFatal("cannot write the project");
    }
    file.close();

    CSystemClock clock;
    CSettings settings;
    settings.log = 0;
    CRecordingNotifier notifier;
    CErrorLog errorLog(clock, folder + QStringLiteral("/site-errors.txt"));
    CUbrixVorelDoc doc(settings, notifier, errorLog);
    doc.newPlan();
    doc.openProject(project);
    CTransport transport(notifier, clock, doc.inboundQueue(), doc.firewallSuspect());
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(doc);
    CViewState state;
    CUbrixVorelTMap view(CViewContext{doc, transport, settings, sequencer, state});
    QObject::connect(&doc, &CUbrixVorelDoc::updateAllViews, &view, &CUbrixVorelTMap::OnUpdate);
    view.OnInitialUpdate();
    view.resize(900, 700);
    view.show();

    // The site answers on the machine's clock; its replies are queued as the receive thread
    // queues them and drained as the main frame drains them.
    QElapsedTimer siteClock;
    siteClock.start();
    CSimDirectLink link(*site, doc.inboundQueue(), CIpv4Address::fromDotted("10.0.0.1"));
    CReplyDrain drain(doc);
    QTimer pump;
    pump.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pump, &QTimer::timeout, [&] {
        for (int lines = link.deliverDue(siteClock.elapsed()); lines > 0; --lines) {
            drain.linesQueued();
        }
    });
    pump.start(1);
    const CBusCollection::Send send = [&](QByteArrayView text, quint32 to) {
        link.send(text, to, siteClock.elapsed());
        return true;
    };

    CHeartbeat heartbeat;
    heartbeat.start([] {});
    send(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast);
    send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    QEventLoop registering;
    QTimer::singleShot(2000, &registering, &QEventLoop::quit);
    registering.exec();

    QElapsedTimer phase;
    phase.start();
    waitFor(sequencer.start(QString::fromLatin1(CBusCollection::kRunName),
                            CBusCollection::lanes(doc, send, {}), CPacing::ByReplies));
    const double collectSeconds = static_cast<double>(phase.elapsed()) / 1000.0;

    CDirectUploadLink uploadLink(link, siteClock);
    CBusUpload upload(doc, uploadLink, CUploadOptions());
    phase.restart();
    QEventLoop uploading;
    QObject::connect(&upload, &CUploadRun::finished, &uploading, &QEventLoop::quit,
                     Qt::QueuedConnection);
    upload.start(sequencer);
    if (!upload.isFinished()) {
        uploading.exec();
    }
    const double uploadSeconds = static_cast<double>(phase.elapsed()) / 1000.0;
    heartbeat.stop();
    pump.stop();
    const CUploadSummary::Counts counts = upload.summary().counts();
    std::printf(
        "  a %d x %d site registered, collected in %.1f s and uploaded in %.1f s (%d settings "
        "confirmed of %d sent), every bus at once: longest event-loop stall %.1f ms (the GUI "
        "thread busy %.1f ms of it; goal 50 ms)\n",
        kGateways, kDevices, collectSeconds, uploadSeconds, counts.confirmed, counts.sent,
        heartbeat.longestMs(), heartbeat.longestCpuMs());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const double linesPerSecond = argc > 1 ? std::atof(argv[1]) : 100000.0;
    QTemporaryDir folder;

    long long lineCount = 0;
    QList<Report> rounds = collectionOrder(CLargeSite::build(), lineCount);
    const long baselineKb = residentKb();

    CSystemClock clock;
    CSettings settings;
    settings.log = 0;
    CRecordingNotifier notifier;
    CErrorLog errorLog(clock, folder.filePath(QStringLiteral("errors.txt")));
    CUbrixVorelDoc doc(settings, notifier, errorLog);
    doc.newPlan();
    // Never started: the view is given a transport, nothing here opens a socket.
    CTransport transport(notifier, clock, doc.inboundQueue(), doc.firewallSuspect());
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(doc);
    CViewState state;
    CUbrixVorelTMap view(CViewContext{doc, transport, settings, sequencer, state});
    QObject::connect(&doc, &CUbrixVorelDoc::updateAllViews, &view, &CUbrixVorelTMap::OnUpdate);
    view.OnInitialUpdate();
    view.resize(900, 700);
    view.show();

    CHeartbeat heartbeat;
    std::atomic<bool> produced{false};
    std::atomic<qint64> lastReplyNs{0};
    qint64 completeNs = -1;
    heartbeat.start([&] {
        if (produced && doc.inboundQueue().isEmpty() && !view.treeSync().isPending() &&
            treeComplete(view)) {
            completeNs = heartbeat.nowNs();
            application.quit();
        }
    });

    // The main frame's part: it drains in slices, letting the event loop run between them.
    CReplyDrain drain(doc);
    QObject announcer;
    std::atomic<int> unannounced{0};
    // The receive thread's part: one posted announcement for all lines queued meanwhile.
    std::thread producer([&] {
        const auto start = std::chrono::steady_clock::now();
        long long sent = 0;
        for (const Report& round : rounds) {
            for (const QByteArray& line : round) {
                doc.inboundQueue().push(line);
                if (unannounced.fetch_add(1) == 0) {
                    QMetaObject::invokeMethod(&announcer, [&] {
                        for (int lines = unannounced.exchange(0); lines > 0; --lines) {
                            drain.linesQueued();
                        }
                    });
                }
            }
            sent += round.size();
            std::this_thread::sleep_until(
                start + std::chrono::duration<double>(static_cast<double>(sent) / linesPerSecond));
        }
        lastReplyNs = heartbeat.nowNs();
        produced = true;
    });
    QTimer::singleShot(600000, &application, &QApplication::quit);
    application.exec();
    producer.join();
    heartbeat.stop();
    if (completeNs < 0) {
        std::printf("BenchBusView: the tree was not complete after 600 s\n");
        return 1;
    }
    const long collectedKb = residentKb();

    std::printf("BenchBusView: %d gateways x %d devices, %lld replies at %.0f a second\n",
                CLargeSite::kGateways, CLargeSite::kDevicesPerGateway, lineCount, linesPerSecond);
    std::printf("  last reply queued at        %8.1f ms\n", static_cast<double>(lastReplyNs) / 1e6);
    std::printf("  tree complete               %8.1f ms after the last reply\n",
                static_cast<double>(completeNs - lastReplyNs) / 1e6);
    std::printf(
        "  longest event-loop stall    %8.1f ms (the GUI thread busy %.1f ms of it), ending "
        "%.0f ms after the first reply\n",
        heartbeat.longestMs(), heartbeat.longestCpuMs(), heartbeat.longestEndMs());
    std::printf(
        "  memory with the site in the plan and the view open: %.0f MB (%.0f MB before "
        "the program's part), peak %.0f MB\n",
        megabytes(collectedKb), megabytes(baselineKb), megabytes(peakKb()));

    // The same site from its map file, as File > Load Map File brings it (hint 16), with
    // the replies made above given back first: what stays is the program's own.
    rounds.clear();
    const QString map = folder.filePath(QStringLiteral("map.xml"));
    doc.saveMapFile(map);
    doc.clearAll();
    ::malloc_trim(0);
    resetHighWater();
    QElapsedTimer load;
    load.start();
    doc.loadMapFile(map);
    bool loaded = false;
    heartbeat.start([&] {
        if (!loaded && !view.treeSync().isPending() && treeComplete(view)) {
            loaded = true;
            application.quit();
        }
    });
    QTimer::singleShot(600000, &application, &QApplication::quit);
    application.exec();
    std::printf(
        "  the map file (%.1f MB) loaded and shown in %.1f ms, longest stall %.1f ms; "
        "memory %.0f MB, peak while loading %.0f MB\n",
        static_cast<double>(QFileInfo(map).size()) / 1e6,
        static_cast<double>(load.nsecsElapsed()) / 1e6, heartbeat.longestMs(),
        megabytes(residentKb()), megabytes(highWaterKb()));
    collectAndUploadWhileShown(folder.path());
    return loaded ? 0 : 1;
}
