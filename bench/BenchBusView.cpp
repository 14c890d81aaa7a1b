// The bus view's tree under a site that reports at full speed: 10 gateways with 100
// devices each, every device reporting 50 settings (type, alias, sections and ports). A
// producer thread queues the replies as fast as it can, as the receive thread does; the GUI
// thread drains them into the plan as the main frame does and the bus view's tree follows.
// Printed: how long after the last reply the tree was complete, and the longest stall of
// the event loop meanwhile (a 2 ms heartbeat timer measures it).
#include "bus/CBusTreeModel.h"
#include "bus/CBusTreeSync.h"
#include "common/CSystemClock.h"
#include "document/CReplyDrain.h"
#include "document/CUbrixVorelDoc.h"
#include "plan/CErrorLog.h"
#include "settings/CSettings.h"
#include "support/CRecordingNotifier.h"

#include <time.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

constexpr int kGateways = 10;
constexpr int kDevices = 100;
constexpr int kPorts = 4;

QByteArray gatewayAddress(int gateway) {
    return "10.0." + QByteArray::number(gateway) + ".2";
}

// 50 settings: type and alias, 8 of the device's own, 8 of its LED section and 4 ports with
// an alias, 5 LED and 2 IR settings each.
QList<QByteArray> deviceReport(int gateway, int uid) {
    const QByteArray prefix =
        "[10:00:00] (" + gatewayAddress(gateway) + ") !UID" + QByteArray::number(uid) + ".";
    QList<QByteArray> lines{prefix + "TYPE=LUMET_AC;",
                            prefix + "ALIAS=Lamp " + QByteArray::number(uid) + ";"};
    for (int n = 0; n < 8; ++n) {
        lines.append(prefix + "VALUE_" + QByteArray::number(n) + "=" + QByteArray::number(n) + ";");
        lines.append(prefix + "LED.DISSOLVE_" + QByteArray::number(n) + "=20;");
    }
    for (int port = 0; port < kPorts; ++port) {
        const QByteArray letter(1, static_cast<char>('A' + port));
        lines.append(prefix + letter + ".ALIAS=Room " + letter + ";");
        for (int n = 0; n < 5; ++n) {
            lines.append(prefix + letter + ".LED.LEVEL_" + QByteArray::number(n) + "=50;");
        }
        lines.append(prefix + letter + ".IR.MODE=ENABLE;");
        lines.append(prefix + letter + ".IR.CODE=12;");
    }
    return lines;
}

qint64 threadCpuNs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Every device is there, named by its alias, with its LED section and its four ports.
bool treeComplete(const CBusTreeModel& model) {
    const CBusTreeItem* root = model.root();
    if (root->childCount() != kGateways) {
        return false;
    }
    for (int g = 0; g < kGateways; ++g) {
        const CBusTreeItem* gateway = root->child(g);
        if (gateway->childCount() != kDevices) {
            return false;
        }
        for (int d = 0; d < kDevices; ++d) {
            const CBusTreeItem* device = gateway->child(d);
            if (device->childCount() != kPorts + 1 || !device->label.startsWith(u"Lamp") ||
                device->child(kPorts)->childCount() != 2) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    CSystemClock clock;
    CSettings settings;
    settings.log = 0;
    CRecordingNotifier notifier;
    CErrorLog errorLog(clock, folder.filePath(QStringLiteral("errors.txt")));
    CUbrixVorelDoc doc(settings, notifier, errorLog);
    doc.newPlan();

    CBusTreeModel model;
    CBusTreeSync sync(doc, model);
    QObject::connect(&doc, &CUbrixVorelDoc::updateAllViews, &sync, &CBusTreeSync::documentUpdated);
    int passes = 0;
    QObject::connect(&sync, &CBusTreeSync::synced, [&passes] { ++passes; });
    // How long the longest announcement of queued lines kept the GUI thread.
    qint64 longestDrainNs = 0;
    QTreeView view;
    view.setModel(&model);
    view.setUniformRowHeights(true);
    view.expandAll();
    view.resize(400, 600);
    view.show();

    QList<QByteArray> replies;
    for (int g = 0; g < kGateways; ++g) {
        // UIDs are unique on the site: the plan keeps one configuration per UID.
        for (int uid = 1; uid <= kDevices; ++uid) {
            replies.append(deviceReport(g, g * kDevices + uid));
        }
    }

    // The heartbeat: the longest gap between two of its ticks is the longest stall.
    QElapsedTimer clockSinceStart;
    clockSinceStart.start();
    qint64 lastTickNs = 0;
    qint64 longestGapNs = 0;
    // The GUI thread's own work in that gap: the rest of it the machine gave to others.
    qint64 lastTickCpuNs = 0;
    qint64 longestGapCpuNs = 0;
    qint64 longestBusyNs = 0;
    std::atomic<bool> produced{false};
    std::atomic<qint64> lastReplyNs{0};
    qint64 completeNs = -1;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(2);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clockSinceStart.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (now - lastTickNs > longestGapNs) {
            longestGapNs = now - lastTickNs;
            longestGapCpuNs = cpu - lastTickCpuNs;
        }
        longestBusyNs = std::max(longestBusyNs, cpu - lastTickCpuNs);
        lastTickNs = now;
        lastTickCpuNs = cpu;
        if (produced && doc.inboundQueue().isEmpty() && !sync.isPending() && treeComplete(model)) {
            completeNs = now;
            application.quit();
        }
    });
    heartbeat.start();
    lastTickNs = clockSinceStart.nsecsElapsed();
    lastTickCpuNs = threadCpuNs();

    // The main frame's part: it drains in slices, letting the event loop run between them.
    CReplyDrain drain(doc);
    // The receive thread's part: queue every line as fast as it goes, announcing the lines
    // as the listener does (one posted announcement for all lines queued meanwhile, then
    // one call a line).
    QObject announcer;
    std::atomic<int> unannounced{0};
    std::thread producer([&] {
        for (const QByteArray& line : std::as_const(replies)) {
            doc.inboundQueue().push(line);
            if (unannounced.fetch_add(1) == 0) {
                QMetaObject::invokeMethod(&announcer, [&] {
                    for (int lines = unannounced.exchange(0); lines > 0; --lines) {
                        QElapsedTimer slice;
                        slice.start();
                        drain.linesQueued();
                        longestDrainNs = std::max(longestDrainNs, slice.nsecsElapsed());
                    }
                });
            }
        }
        lastReplyNs = clockSinceStart.nsecsElapsed();
        produced = true;
    });
    QTimer::singleShot(120000, &application, &QApplication::quit);
    application.exec();
    producer.join();

    if (completeNs < 0) {
        std::printf("BenchBusView: the tree was not complete after 120 s\n");
        return 1;
    }
    std::printf("BenchBusView: %d gateways x %d devices x 50 settings = %lld replies\n", kGateways,
                kDevices, static_cast<long long>(replies.size()));
    std::printf("  last reply queued at        %8.1f ms\n", static_cast<double>(lastReplyNs) / 1e6);
    std::printf("  tree complete at            %8.1f ms (%.1f ms after the last reply)\n",
                static_cast<double>(completeNs) / 1e6,
                static_cast<double>(completeNs - lastReplyNs) / 1e6);
    std::printf("  longest drain               %8.1f ms\n",
                static_cast<double>(longestDrainNs) / 1e6);
    std::printf("  tree passes                 %8d\n", passes);
    // What one pass over the whole site costs: building the tree anew, and again when
    // nothing changed.
    QElapsedTimer pass;
    CBusTreeModel fresh;
    qint64 coldNs = 0;
    for (int round = 0; round < 3; ++round) {
        fresh.reset();
        pass.start();
        fresh.update(doc.plan());
        coldNs = pass.nsecsElapsed();
    }
    pass.start();
    fresh.update(doc.plan());
    std::printf("  one pass over the site      %8.1f ms new, %.1f ms unchanged\n",
                static_cast<double>(coldNs) / 1e6, static_cast<double>(pass.nsecsElapsed()) / 1e6);
    // A loaded map (hint 16) brings the shown tree to the plan, keeping what stays.
    pass.start();
    fresh.rebuild(doc.plan());
    std::printf("  a rebuild of the whole site %8.1f ms\n",
                static_cast<double>(pass.nsecsElapsed()) / 1e6);
    std::printf(
        "  longest event-loop stall    %8.1f ms (heartbeat every 2 ms), the GUI thread "
        "busy %.1f ms of it\n",
        static_cast<double>(longestGapNs) / 1e6, static_cast<double>(longestGapCpuNs) / 1e6);
    std::printf("  longest GUI thread work between two heartbeats %.1f ms\n",
                static_cast<double>(longestBusyNs) / 1e6);
    return 0;
}
