#include "core/sequence/CSequencer.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray kGateway = "10.0.0.1";

QByteArray line(const QByteArray& text) {
    return "[10:00:00] (" + kGateway + ") " + text;
}

// A sequence's traffic on a hand-driven clock: what was sent when, and the echoes that the
// simulated gateway sends back after their delay (a negative delay: never).
class Bench {
public:
    Bench() { m_sequencer.watch(m_fixture.doc()); }

    CSequencer& sequencer() { return m_sequencer; }
    CManualTimerSource& timers() { return m_timers; }
    CDocFixture& fixture() { return m_fixture; }
    QStringList sent() const { return m_sent; }

    // A step that "sends" &key=value; and waits up to pause for the echo !key=value;.
    CPacedStep send(const QByteArray& key, const QByteArray& value, int echoDelay,
                    const QByteArray& echoValue = QByteArray()) {
        const QByteArray echo = "!" + key + "=" + (echoValue.isEmpty() ? value : echoValue) + ";";
        return {[this, key, value, echoDelay, echo](CSequenceRun&) {
                    record("&" + key + "=" + value + ";");
                    if (echoDelay >= 0) {
                        m_echoes.append({now() + echoDelay, echo});
                    }
                    return true;
                },
                1000ms, CAwait::echo(kGateway, key, value)};
    }

    void record(const QByteArray& text) {
        m_sent.append(QStringLiteral("%1 %2").arg(now()).arg(QString::fromLatin1(text)));
    }
    void replyAt(qint64 at, const QByteArray& text) { m_echoes.append({at, text}); }

    // Moves time on in 10 ms ticks up to until, delivering the replies that fall due.
    void play(qint64 until) {
        while (now() <= until) {
            for (qsizetype i = 0; i < m_echoes.size();) {
                if (m_echoes[i].first <= now()) {
                    m_fixture.receive({line(m_echoes.takeAt(i).second)});
                } else {
                    ++i;
                }
            }
            QCoreApplication::processEvents();
            m_timers.advance(10ms);
        }
    }

    qint64 now() const { return m_timers.now().count(); }

private:
    CDocFixture m_fixture;
    CManualTimerSource m_timers;
    CSequencer m_sequencer{m_timers};
    QStringList m_sent;
    QList<QPair<qint64, QByteArray>> m_echoes;
};

}  // namespace

Q_DECLARE_METATYPE(CPacing)

class TestSequencer : public QObject {
    Q_OBJECT

private slots:
    void pacing_data();
    void pacing();
    void quietWindowEndsAfterTheLastReport_data();
    void quietWindowEndsAfterTheLastReport();
    void stopTakesEffectAtOnce();
    void failedStepEndsTheRun();
    void stepsAreMadeWhenTheirTurnComes();
    void sameNameReplacesTheRunningOne();
    void lanesGoOnAtTheSameTime();
    void aFailedStepEndsEveryLane();
    void repeatsThatBringMoreAreNotCounted();
    void silenceAfterAQuestionIsTakenForLoss_data();
    void silenceAfterAQuestionIsTakenForLoss();
};

void TestSequencer::pacing_data() {
    QTest::addColumn<CPacing>("pacing");
    QTest::addColumn<QList<int>>("echoDelays");
    QTest::addColumn<QByteArray>("echoValue");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<int>("finishedAt");

    const QStringList fullPauses{"0 &KA=1;", "1000 &KB=2;", "2000 &KC=3;"};
    QTest::newRow("fixed, no replies")
        << CPacing::Fixed << QList<int>{-1, -1, -1} << QByteArray() << fullPauses << 3000;
    QTest::newRow("fixed ignores replies")
        << CPacing::Fixed << QList<int>{50, 50, 50} << QByteArray() << fullPauses << 3000;
    QTest::newRow("by replies, prompt gateway")
        << CPacing::ByReplies << QList<int>{50, 50, 50} << QByteArray()
        << QStringList{"0 &KA=1;", "50 &KB=2;", "100 &KC=3;"} << 150;
    QTest::newRow("by replies, one reply lost")
        << CPacing::ByReplies << QList<int>{50, -1, 50} << QByteArray()
        << QStringList{"0 &KA=1;", "50 &KB=2;", "1050 &KC=3;"} << 1100;
    QTest::newRow("by replies, late replies never slow it down")
        << CPacing::ByReplies << QList<int>{1500, 1500, 1500} << QByteArray() << fullPauses << 3000;
    QTest::newRow("by replies, an echo of another value does not count")
        << CPacing::ByReplies << QList<int>{50, 50, 50} << QByteArray("9") << fullPauses << 3000;
}

void TestSequencer::pacing() {
    QFETCH(CPacing, pacing);
    QFETCH(QList<int>, echoDelays);
    QFETCH(QByteArray, echoValue);
    QFETCH(QStringList, sent);
    QFETCH(int, finishedAt);

    Bench bench;
    qint64 finished = -1;
    CSequenceRun* run = bench.sequencer().start(
        QStringLiteral("three"),
        CSequenceRun::fromList({bench.send("KA", "1", echoDelays[0], echoValue),
                                bench.send("KB", "2", echoDelays[1], echoValue),
                                bench.send("KC", "3", echoDelays[2], echoValue)}),
        pacing);
    connect(run, &CSequenceRun::finished, this, [&] { finished = bench.now(); });
    bench.play(4000);
    QCOMPARE(bench.sent(), sent);
    QCOMPARE(finished, finishedAt);
}

void TestSequencer::quietWindowEndsAfterTheLastReport_data() {
    QTest::addColumn<QList<int>>("reports");
    QTest::addColumn<QString>("next");

    QTest::newRow("three reports") << QList<int>{100, 200, 400} << QStringLiteral("700 next");
    QTest::newRow("no report: the whole pause") << QList<int>{} << QStringLiteral("2000 next");
    QTest::newRow("a gateway that never stops: the whole pause")
        << QList<int>{100, 300, 500, 700, 900, 1100, 1300, 1500, 1700, 1900, 2100}
        << QStringLiteral("2000 next");
}

void TestSequencer::quietWindowEndsAfterTheLastReport() {
    QFETCH(QList<int>, reports);
    QFETCH(QString, next);

    Bench bench;
    for (const int at : reports) {
        bench.replyAt(at, "!NETWORK.DHCP=ENABLE;");
    }
    // A report of another gateway is no report of this one.
    bench.fixture().receive({"[10:00:00] (10.0.0.2) !NAME=Other;"});
    bench.sequencer().start(
        QStringLiteral("query"),
        CSequenceRun::fromList({{[&bench](CSequenceRun&) {
                                     bench.record("&=?;");
                                     return true;
                                 },
                                 2000ms, CAwait::gatewayReports(kGateway, 300ms)},
                                {[&bench](CSequenceRun&) {
                                     bench.record("next");
                                     return true;
                                 },
                                 0ms,
                                 {}}}));
    bench.play(2500);
    QCOMPARE(bench.sent(), (QStringList{"0 &=?;", next}));
}

void TestSequencer::stopTakesEffectAtOnce() {
    Bench bench;
    CSequenceRun* run = bench.sequencer().start(
        QStringLiteral("stopped"),
        CSequenceRun::fromList({bench.send("KA", "1", 50), bench.send("KB", "2", 50)}));
    QSignalSpy finished(run, &CSequenceRun::finished);
    // The echo is in and its early end queued; the stop comes before it is handled.
    bench.fixture().receive({line("!KA=1;")});
    run->stop();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0].at(0).value<CSequenceRun::Outcome>(), CSequenceRun::Outcome::Stopped);
    QVERIFY(bench.sequencer().run(QStringLiteral("stopped")) == nullptr);
    bench.play(3000);
    QCOMPARE(bench.sent(), QStringList{"0 &KA=1;"});
    QCOMPARE(bench.timers().activeTimerCount(), 0);
    QCOMPARE(finished.size(), 1);
}

void TestSequencer::failedStepEndsTheRun() {
    Bench bench;
    const CSequenceRun::StepSource steps =
        CSequenceRun::fromList({bench.send("KA", "1", -1),
                                {[](CSequenceRun&) { return false; }, 1000ms, {}},
                                bench.send("KC", "3", -1)});
    CSequenceRun* run = bench.sequencer().start(QStringLiteral("failing"), steps);
    QSignalSpy finished(run, &CSequenceRun::finished);
    bench.play(5000);
    QCOMPARE(bench.sent(), QStringList{"0 &KA=1;"});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0].at(0).value<CSequenceRun::Outcome>(), CSequenceRun::Outcome::Failed);
}

void TestSequencer::stepsAreMadeWhenTheirTurnComes() {
    Bench bench;
    QList<QByteArray> devices{"5"};
    int made = 0;
    // Device 12 becomes known during the first pause; the step for it is made after it.
    const CSequenceRun::StepSource steps = [&]() -> std::optional<CPacedStep> {
        if (made >= devices.size()) {
            return std::nullopt;
        }
        const QByteArray uid = devices[made++];
        return CPacedStep{[&bench, uid](CSequenceRun& run) {
                              bench.record("#UID" + uid + "=?;");
                              run.reportProgress(uid.toInt());
                              return true;
                          },
                          1000ms,
                          {}};
    };
    CSequenceRun* run = bench.sequencer().start(QStringLiteral("collect"), steps);
    QSignalSpy progress(run, &CSequenceRun::progress);
    devices.append("12");
    bench.play(2500);
    QCOMPARE(bench.sent(), (QStringList{"0 #UID5=?;", "1000 #UID12=?;"}));
    QCOMPARE(progress.size(), 1);  // the first report came before the spy
    QCOMPARE(run->lastProgress(), 12);
}

void TestSequencer::sameNameReplacesTheRunningOne() {
    Bench bench;
    CSequenceRun* first = bench.sequencer().start(
        QStringLiteral("refresh"),
        CSequenceRun::fromList({bench.send("KA", "1", -1), bench.send("KB", "2", -1)}));
    QSignalSpy firstFinished(first, &CSequenceRun::finished);
    bench.play(500);
    CSequenceRun* second = bench.sequencer().start(
        QStringLiteral("refresh"), CSequenceRun::fromList({bench.send("KC", "3", -1)}));
    QCOMPARE(firstFinished.size(), 1);
    QCOMPARE(bench.sequencer().run(QStringLiteral("refresh")), second);
    bench.play(3000);
    QCOMPARE(bench.sent(), (QStringList{"0 &KA=1;", "510 &KC=3;"}));
}

void TestSequencer::lanesGoOnAtTheSameTime() {
    Bench bench;
    CSequenceRun* run = bench.sequencer().start(
        QStringLiteral("lanes"),
        {CSequenceRun::fromList({bench.send("KA", "1", 50), bench.send("KB", "2", 50)}),
         CSequenceRun::fromList({bench.send("KC", "3", -1), bench.send("KD", "4", -1)})},
        CPacing::ByReplies);
    QSignalSpy finished(run, &CSequenceRun::finished);
    bench.play(3000);
    // Each lane keeps its own order and pauses; the first is done with its echoes long
    // before the second's pauses run out, and the run ends with the last lane.
    QCOMPARE(bench.sent(), (QStringList{"0 &KA=1;", "0 &KC=3;", "50 &KB=2;", "1000 &KD=4;"}));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0].at(0).value<CSequenceRun::Outcome>(), CSequenceRun::Outcome::Completed);
    QCOMPARE(bench.timers().activeTimerCount(), 0);
}

void TestSequencer::aFailedStepEndsEveryLane() {
    Bench bench;
    CSequenceRun* run = bench.sequencer().start(
        QStringLiteral("lanes"),
        {CSequenceRun::fromList({bench.send("KA", "1", -1), bench.send("KB", "2", -1)}),
         CSequenceRun::fromList({{[](CSequenceRun&) { return true; }, 500ms, {}},
                                 {[](CSequenceRun&) { return false; }, 0ms, {}}})},
        CPacing::ByReplies);
    QSignalSpy finished(run, &CSequenceRun::finished);
    bench.play(3000);
    QCOMPARE(bench.sent(), QStringList{"0 &KA=1;"});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0].at(0).value<CSequenceRun::Outcome>(), CSequenceRun::Outcome::Failed);
}

void TestSequencer::repeatsThatBringMoreAreNotCounted() {
    Bench bench;
    // The answer to each of the first two sends comes in part, 100 ms later; the later
    // sends bring nothing, and the answer is never whole.
    QList<qint64> sentAt;
    const auto received = [&]() -> size_t {
        return static_cast<size_t>(
            std::count_if(sentAt.begin(), sentAt.begin() + std::min<qsizetype>(sentAt.size(), 2),
                          [&](qint64 at) { return at + 100 <= bench.now(); }));
    };
    bench.sequencer().start(QStringLiteral("report"),
                            CSequenceRun::fromList({{[&](CSequenceRun&) {
                                                         bench.record("&=?;");
                                                         sentAt.append(bench.now());
                                                         return true;
                                                     },
                                                     1000ms,
                                                     {},
                                                     {1, [] { return false; }, received}}}),
                            CPacing::ByReplies);
    bench.play(6000);
    // The repeats after the two sends that brought something are free; one more is
    // counted, then it stops.
    QCOMPARE(bench.sent(), (QStringList{"0 &=?;", "1000 &=?;", "2000 &=?;", "3000 &=?;"}));
}

void TestSequencer::silenceAfterAQuestionIsTakenForLoss_data() {
    QTest::addColumn<CPacing>("pacing");
    QTest::addColumn<bool>("endsOnSilence");
    QTest::addColumn<QList<int>>("echoDelays");  // -1: lost
    QTest::addColumn<QList<int>>("sentAt");
    QTest::addColumn<int>("finishedAt");
    const QList<int> fourthLost{50, 50, 50, -1, 50};
    // Three times the slowest recent answer, once three answers came.
    QTest::newRow("by replies: a lost echo ends after three answer times")
        << CPacing::ByReplies << true << fourthLost << QList<int>{0, 50, 100, 150, 300} << 350;
    QTest::newRow("fixed: every pause whole")
        << CPacing::Fixed << true << fourthLost << QList<int>{0, 1000, 2000, 3000, 4000} << 5000;
    QTest::newRow("not a question to ask again: the whole pause")
        << CPacing::ByReplies << false << fourthLost << QList<int>{0, 50, 100, 150, 1150} << 1200;
    QTest::newRow("too few answers to judge: the whole pause")
        << CPacing::ByReplies << true << QList<int>{50, 50, -1, 50} << QList<int>{0, 50, 100, 1100}
        << 1150;
    QTest::newRow("answers at once: never less than 100 ms")
        << CPacing::ByReplies << true << QList<int>{10, 10, 10, -1, 10}
        << QList<int>{0, 10, 20, 30, 130} << 140;
}

void TestSequencer::silenceAfterAQuestionIsTakenForLoss() {
    QFETCH(CPacing, pacing);
    QFETCH(bool, endsOnSilence);
    QFETCH(QList<int>, echoDelays);
    Bench bench;
    std::vector<CPacedStep> steps;
    for (qsizetype i = 0; i < echoDelays.size(); ++i) {
        const QByteArray key = "K" + QByteArray::number(i);
        steps.push_back(bench.send(key, "1", echoDelays[i]));
        steps.back().await.endsOnSilence = endsOnSilence;
    }
    qint64 finished = -1;
    CSequenceRun* run = bench.sequencer().start(QStringLiteral("questions"),
                                                CSequenceRun::fromList(std::move(steps)), pacing);
    connect(run, &CSequenceRun::finished, this, [&] { finished = bench.now(); });
    bench.play(6000);
    QList<int> sentAt;
    for (const QString& sent : bench.sent()) {
        sentAt << sent.section(QLatin1Char(' '), 0, 0).toInt();
    }
    QTEST(sentAt, "sentAt");
    QTEST(int(finished), "finishedAt");
}

QTEST_GUILESS_MAIN(TestSequencer)
#include "TestSequencer.moc"
