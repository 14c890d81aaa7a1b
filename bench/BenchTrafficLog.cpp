// The traffic log under a flood: setting replies pushed onto the document's inbound queue
// and drained by AddMsg in bursts, as the receive thread and the window would, with
// logging on and the log file bounded. Prints the lines per second written, the pause a
// burst that moved the file aside took beside an ordinary one, and the disk the two files
// take. Beside it the same drain without logging, and the log file alone.
//
// Usage: BenchTrafficLog [limit in MB, default 50] [lines, default enough for 3 moves]
#include "core/common/CSystemClock.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/settings/CSettings.h"
#include "core/traffic/CTrafficLog.h"
#include "support/CRecordingNotifier.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBurst = 256;
constexpr int kDevices = 20;

QByteArray reply(qint64 n) {
    return "[12:00:00] (10.0.0.1) !UID" + QByteArray::number(n % kDevices + 1) +
           ".LED.VALUE=" + QByteArray::number(n % 1000) + ";";
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    qint64 lines = 0;
    double seconds = 0;
    std::vector<double> burstMs;     // bursts that did not move the file
    std::vector<double> rotationMs;  // bursts that did
    int rotations = 0;
    qint64 diskBytes = 0;  // the log and its moved-aside file at the end
    qint64 largestFile = 0;
};

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
}

Figures floodDocument(const QString& folder, int limitMb, qint64 lines, bool logging) {
    CSettings settings;
    settings.log = logging ? 1 : 0;
    settings.logLimitMb = limitMb;
    settings.logFilename = folder + QStringLiteral("/logfile.txt");
    CRecordingNotifier notifier;
    CErrorLog errorLog(CSystemClock::instance(), folder + QStringLiteral("/errors.txt"));
    CUbrixVorelDoc doc(settings, notifier, errorLog);
    doc.newPlan();

    Figures figures;
    const Clock::time_point start = Clock::now();
    for (qint64 n = 0; n < lines;) {
        for (int i = 0; i < kBurst && n < lines; ++i, ++n) {
            doc.inboundQueue().push(reply(n));
        }
        const int rotationsBefore = doc.trafficLog().rotations();
        const Clock::time_point burst = Clock::now();
        doc.AddMsg();
        const double ms = msSince(burst);
        (doc.trafficLog().rotations() != rotationsBefore ? figures.rotationMs : figures.burstMs)
            .push_back(ms);
        figures.largestFile = std::max(figures.largestFile, doc.trafficLog().size());
    }
    figures.seconds = msSince(start) / 1000;
    figures.lines = lines;
    figures.rotations = doc.trafficLog().rotations();
    doc.stopLogging();
    figures.diskBytes = QFileInfo(settings.logFilename).size() +
                        QFileInfo(CTrafficLog::rotatedName(settings.logFilename)).size();
    return figures;
}

Figures floodLogAlone(const QString& folder, int limitMb, qint64 lines) {
    CTrafficLog log;
    log.open(folder + QStringLiteral("/alone.txt"), qint64{limitMb} * 1024 * 1024);
    std::vector<QByteArray> texts;
    for (qint64 n = 0; n < kBurst * 16; ++n) {
        texts.push_back(reply(n));
    }
    Figures figures;
    const Clock::time_point start = Clock::now();
    for (qint64 n = 0; n < lines;) {
        const int rotationsBefore = log.rotations();
        const Clock::time_point burst = Clock::now();
        for (int i = 0; i < kBurst && n < lines; ++i, ++n) {
            log.write(texts[static_cast<size_t>(n) % texts.size()]);
        }
        log.flush();
        const double ms = msSince(burst);
        (log.rotations() != rotationsBefore ? figures.rotationMs : figures.burstMs).push_back(ms);
    }
    figures.seconds = msSince(start) / 1000;
    figures.lines = lines;
    figures.rotations = log.rotations();
    log.close();
    return figures;
}

void print(const char* what, const Figures& figures, int limitMb) {
    const double largestRotation =
        figures.rotationMs.empty()
            ? 0
            : *std::max_element(figures.rotationMs.begin(), figures.rotationMs.end());
    const double median = percentile(figures.burstMs, 0.5);
    std::printf("%s\n", what);
    std::printf("  %lld lines in %.2f s: %.0f lines/s\n", static_cast<long long>(figures.lines),
                figures.seconds, static_cast<double>(figures.lines) / figures.seconds);
    std::printf("  burst of %d lines: median %.3f ms, 99th percentile %.3f ms, largest %.3f ms\n",
                kBurst, median, percentile(figures.burstMs, 0.99),
                percentile(figures.burstMs, 1.0));
    if (figures.rotations > 0 || !figures.rotationMs.empty()) {
        std::printf("  %d moves aside; largest burst with one %.3f ms: the move adds %.3f ms\n",
                    figures.rotations, largestRotation, largestRotation - median);
    }
    if (figures.diskBytes > 0) {
        std::printf("  on disk at the end %.1f MB (limit %d MB each, largest file seen %.1f MB)\n",
                    static_cast<double>(figures.diskBytes) / 1048576.0, limitMb,
                    static_cast<double>(figures.largestFile) / 1048576.0);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int limitMb = arguments.size() > 1 ? arguments.at(1).toInt() : 50;
    const qint64 limit = qint64{std::max(limitMb, 1)} * 1024 * 1024;
    // Enough lines to move the file aside three times.
    const qint64 lines = arguments.size() > 2 ? arguments.at(2).toLongLong()
                                              : (3 * limit + limit / 2) / (reply(0).size() + 1);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "BenchTrafficLog: no temporary folder\n");
        return 1;
    }
    print("AddMsg with logging", floodDocument(folder.path(), limitMb, lines, true), limitMb);
    print("AddMsg without logging",
          floodDocument(folder.filePath(QStringLiteral("off")), limitMb, lines, false), limitMb);
    print("The log file alone", floodLogAlone(folder.path(), limitMb, lines), limitMb);
    return 0;
}
