// The gateway configuration view under a Refresh of a whole site: 20 gateways (the shipped
// models, played by the simulator's site in this process) report all their settings at
// once. A feeder thread queues every reply as the receive thread would, and the GUI thread
// drains them as the frame does. Printed: how long after the last reply was drained the
// view's tree is complete, the longest drain, and the longest stall of the event loop (a
// 1 ms timer records the longest gap between its ticks). Then the same when a loaded map
// file (hint 16) makes the view rebuild its tree (brought to the plan item by item).
//
// No sockets: it runs anywhere; the widgets are drawn offscreen.
#include "gui/CGuiHarness.h"
#include "gui/views/CUbrixVorelUbrix.h"
#include "sim/CSimModels.h"
#include "sim/CSimSite.h"
#include "sim/CSimSiteBuilder.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGateways = 20;
constexpr int kRounds = 15;

double msSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Every gateway's answer to "&=?;", as traffic lines.
QList<QByteArray> siteReplies() {
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(testsupport::runtimePath(QString()), error)) {
        qFatal("models: %s", qPrintable(error));
    }
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses.append(CIpv4Address::fromHostOrder(0x0A000001u + static_cast<quint32>(g)));
    }
    config.devicesPerGateway = 0;
    auto site = CSimSiteBuilder::build(models, config, error);
    if (!site) {
        qFatal("site: %s", qPrintable(error));
    }
    const quint32 asker = CIpv4Address::fromDotted("10.0.0.200");
    for (int g = 0; g < kGateways; ++g) {
        site->receive(g, "&=?;", asker, 0, {});
    }
    QList<QByteArray> lines;
    for (const CSimOutgoing& reply : site->takeDue(std::numeric_limits<qint64>::max() / 2)) {
        QByteArray text = reply.bytes;
        while (text.endsWith('\n') || text.endsWith('\r')) {
            text.chop(1);
        }
        lines.append("[10:00:00] (" + CIpv4Address::toDotted(reply.from) + ") " + text);
    }
    return lines;
}

// The longest gap between ticks of a 1 ms timer while it runs.
class StallMeter {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            m_longest = std::max(m_longest, msSince(m_last, now));
            m_last = now;
        });
    }
    void start() {
        m_longest = 0;
        m_last = Clock::now();
        m_timer.start(1);
    }
    double stop() {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
};

// Lets a view that was just shown lay itself out and paint, so that what is measured next
// is the work under test.
void settle() {
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 50) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Every reply queued at once and drained in one go, as after a refresh.
void enterAll(CGuiHarness& harness, const QList<QByteArray>& lines) {
    for (const QByteArray& line : lines) {
        harness.doc().inboundQueue().push(line);
    }
    harness.doc().AddMsg();
}

int itemCount(const QAbstractItemModel& model, const QModelIndex& item) {
    int count = 1;
    for (int row = 0; row < model.rowCount(item); ++row) {
        count += itemCount(model, model.index(row, 0, item));
    }
    return count;
}

int itemCount(const CUbrixVorelUbrix& view) {
    const QTreeView& tree = *namedChild<QTreeView>(view, "tree");
    return itemCount(*tree.model(), tree.model()->index(0, 0));
}

struct Figures {
    double completeAfterLastDrain = 0;  // ms
    double longestDrain = 0;            // ms
    double longestStall = 0;            // ms
    int drains = 0;
};

Figures refreshOnce(const QList<QByteArray>& lines, int expectedItems) {
    CGuiHarness harness;
    CUbrixVorelUbrix view(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, &view,
                     &CUbrixVorelUbrix::OnUpdate);
    view.OnInitialUpdate();
    view.show();
    settle();

    Figures figures;
    Clock::time_point lastDrained;
    Clock::time_point complete;
    bool done = false;
    QObject drainer;
    const auto drain = [&] {
        if (harness.doc().inboundQueue().isEmpty()) {
            return;
        }
        const Clock::time_point start = Clock::now();
        harness.doc().AddMsg();
        const Clock::time_point end = Clock::now();
        ++figures.drains;
        figures.longestDrain = std::max(figures.longestDrain, msSince(start, end));
        lastDrained = start;
        if (!done && itemCount(view) == expectedItems) {
            done = true;
            complete = end;
        }
    };
    StallMeter stalls;
    stalls.start();
    std::thread feeder([&] {
        for (const QByteArray& line : lines) {
            harness.doc().inboundQueue().push(line);
            QMetaObject::invokeMethod(&drainer, drain, Qt::QueuedConnection);
        }
    });
    QElapsedTimer watchdog;
    watchdog.start();
    while (!done && watchdog.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    feeder.join();
    QCoreApplication::processEvents();
    figures.longestStall = stalls.stop();
    if (!done) {
        qFatal("the tree never became complete");
    }
    figures.completeAfterLastDrain = msSince(lastDrained, complete);
    return figures;
}

double rebuildOnce(const QList<QByteArray>& lines, int expectedItems, double& stall) {
    CGuiHarness harness;
    enterAll(harness, lines);
    CUbrixVorelUbrix view(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, &view,
                     &CUbrixVorelUbrix::OnUpdate);
    view.OnInitialUpdate();
    view.show();
    settle();
    StallMeter stalls;
    stalls.start();
    Clock::time_point start;
    Clock::time_point end;
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, &view,
                     [&](quint32) { end = Clock::now(); });
    // Connected after the view: it marks the end of the view's rebuild.
    QTimer::singleShot(5, [&] {
        start = Clock::now();
        harness.doc().notifyViews(CUbrixVorelDoc::kHintRestructured);
    });
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 50) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    stall = stalls.stop();
    if (itemCount(view) != expectedItems) {
        qFatal("the rebuilt tree is not complete");
    }
    return msSince(start, end);
}

// The same drain into the plan with no view listening: the document's own share.
double drainWithoutView(const QList<QByteArray>& lines) {
    CGuiHarness harness;
    for (const QByteArray& line : lines) {
        harness.doc().inboundQueue().push(line);
    }
    const Clock::time_point start = Clock::now();
    harness.doc().AddMsg();
    return msSince(start, Clock::now());
}

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QList<QByteArray> lines = siteReplies();

    // What the tree must hold: the root, every gateway, its sections and subsections.
    int expectedItems = 0;
    {
        CGuiHarness harness;
        enterAll(harness, lines);
        CUbrixVorelUbrix view(harness.context());
        view.OnInitialUpdate();
        view.OnUpdate(CUbrixVorelDoc::kHintGatewayAdded);
        expectedItems = itemCount(view);
    }
    std::printf(
        "BenchGatewayViewGui: %d gateways report %lld settings at once; the tree holds "
        "%d items; %d rounds\n",
        kGateways, static_cast<long long>(lines.size()), expectedItems, kRounds);

    std::vector<double> complete;
    std::vector<double> drains;
    std::vector<double> stalls;
    std::vector<int> drainCounts;
    for (int round = 0; round < kRounds; ++round) {
        const Figures figures = refreshOnce(lines, expectedItems);
        complete.push_back(figures.completeAfterLastDrain);
        drains.push_back(figures.longestDrain);
        stalls.push_back(figures.longestStall);
        drainCounts.push_back(figures.drains);
    }
    std::printf(
        "refresh: tree complete %.2f ms (median; worst %.2f) after the last reply was "
        "drained (goal: 100 ms)\n",
        median(complete), *std::max_element(complete.begin(), complete.end()));
    std::printf(
        "refresh: longest drain %.2f ms (median; worst %.2f), %d drains (median); "
        "longest event-loop stall %.2f ms (median; worst %.2f) (goal: 50 ms)\n",
        median(drains), *std::max_element(drains.begin(), drains.end()), median(drainCounts),
        median(stalls), *std::max_element(stalls.begin(), stalls.end()));

    std::vector<double> planOnly;
    for (int round = 0; round < kRounds; ++round) {
        planOnly.push_back(drainWithoutView(lines));
    }
    std::printf("the same drain into the plan with no view: %.2f ms (median)\n", median(planOnly));

    std::vector<double> rebuilds;
    std::vector<double> rebuildStalls;
    for (int round = 0; round < kRounds; ++round) {
        double stall = 0;
        rebuilds.push_back(rebuildOnce(lines, expectedItems, stall));
        rebuildStalls.push_back(stall);
    }
    std::printf(
        "hint 16: tree rebuilt from scratch in %.2f ms (median; worst %.2f); longest "
        "event-loop stall %.2f ms (median; worst %.2f)\n",
        median(rebuilds), *std::max_element(rebuilds.begin(), rebuilds.end()),
        median(rebuildStalls), *std::max_element(rebuildStalls.begin(), rebuildStalls.end()));
    return 0;
}
