// AddMsg on setting replies for devices the plan already holds, against the plain way of
// formatting and evaluating an XPath text for every look-up.
#include "support/CNaiveReplyWriter.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/settings/CSettings.h"
#include "support/CManualClock.h"
#include "support/CRecordingNotifier.h"

#include <benchmark/benchmark.h>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int kSettingsPerDevice = 50;
constexpr int kBatch = 1000;

QByteArray settingLine(int uid, int setting, int value) {
    return "[12:00:00] (10.0.0.1) !UID" + QByteArray::number(uid) + ".GROUP" +
           QByteArray::number(setting / 10) + ".KEY" + QByteArray::number(setting % 10) + "=" +
           QByteArray::number(value) + ";";
}

// A document whose plan holds devices x 50 settings, and a stream of replies for them.
struct Site {
    QTemporaryDir dir;
    CManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(12, 0))};
    CSettings settings;
    CRecordingNotifier notifier;
    CErrorLog errorLog{clock, dir.filePath(QStringLiteral("errors.txt"))};
    CUbrixVorelDoc doc{settings, notifier, errorLog};
    QList<QByteArray> replies;       // settings of random devices in random order
    QList<QByteArray> queryAnswers;  // whole devices answering "#UIDn=?;" one after another

    explicit Site(int devices) {
        settings.log = 0;
        doc.newPlan();
        for (int uid = 1; uid <= devices; ++uid) {
            for (int setting = 0; setting < kSettingsPerDevice; ++setting) {
                doc.inboundQueue().push(settingLine(uid, setting, 0));
            }
            doc.AddMsg();
        }
        QRandomGenerator random(7);
        for (int i = 0; i < 64 * 1024; ++i) {
            replies << settingLine(random.bounded(1, devices + 1),
                                   random.bounded(kSettingsPerDevice), random.bounded(1000));
        }
        while (queryAnswers.size() < qsizetype{64} * 1024) {
            const int uid = random.bounded(1, devices + 1);
            for (int setting = 0; setting < kSettingsPerDevice; ++setting) {
                queryAnswers << settingLine(uid, setting, random.bounded(1000));
            }
        }
    }
};

Site& site(int devices) {
    static std::map<int, std::unique_ptr<Site>> sites;
    auto& entry = sites[devices];
    if (!entry) {
        entry = std::make_unique<Site>(devices);
    }
    return *entry;
}

void drain(benchmark::State& state, Site& s, const QList<QByteArray>& stream) {
    qsizetype next = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            s.doc.inboundQueue().push(stream[next]);
            next = (next + 1) % stream.size();
        }
        s.doc.AddMsg();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_AddMsgIndexed(benchmark::State& state) {
    Site& s = site(static_cast<int>(state.range(0)));
    drain(state, s, s.replies);
}

void BM_AddMsgIndexedQueryAnswers(benchmark::State& state) {
    Site& s = site(static_cast<int>(state.range(0)));
    drain(state, s, s.queryAnswers);
}

void BM_AddMsgNaiveXPath(benchmark::State& state) {
    Site& s = site(static_cast<int>(state.range(0)));
    pugi::xml_document plan;
    plan.reset(s.doc.plan());
    CNaiveReplyWriter naive(plan);
    qsizetype next = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            naive.handle(s.replies[next]);
            next = (next + 1) % s.replies.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

}  // namespace

BENCHMARK(BM_AddMsgIndexed)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddMsgIndexedQueryAnswers)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddMsgNaiveXPath)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
