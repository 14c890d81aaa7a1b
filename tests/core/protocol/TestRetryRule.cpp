#include "core/protocol/CRetryRule.h"
#include "core/sequence/CSequencer.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(CPacing)

// Which texts go out again when their answer is lost, and how often: one step of a
// sequence sends the text to a site that never answers, on a hand-driven clock, and what
// went out when is compared. Texts that act go out once, whatever the retries say.
class TestRetryRule : public QObject {
    Q_OBJECT

private slots:
    void repeats_data();
    void repeats();
};

void TestRetryRule::repeats_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("retries");
    QTest::addColumn<CPacing>("pacing");
    QTest::addColumn<QList<int>>("sentAt");

    const QList<int> thrice{0, 1000, 2000};
    const QList<int> once{0};
    const auto both = [&](const char* name, const QByteArray& text, int retries,
                          const QList<int>& sentAt) {
        for (const CPacing pacing : {CPacing::Fixed, CPacing::ByReplies}) {
            QTest::addRow("%s, %s", name, pacing == CPacing::Fixed ? "fixed" : "by replies")
                << text << retries << pacing << sentAt;
        }
    };
    both("a gateway's query", "&=?;", 2, thrice);
    both("the upload's query of a gateway", "&=?", 2, thrice);
    both("the upload's query of a device", "#uid12=?;", 2, thrice);
    both("a device's query, no retries", "#UID12=?;", 0, once);
    both("a query of one setting, five retries", "&NAME=?;", 5, {0, 1000, 2000, 3000, 4000, 5000});
    both("a gateway's setting", "&NETWORK.DHCP=ENABLE", 2, thrice);
    both("a device's setting", "#UID12.A.LED.MODE=RGB", 2, thrice);
    both("a preset", "#UID12.LED.PRESET.3=1.2.3", 2, thrice);
    both("restart", "&VERSION_HW=RESET;", 2, once);
    both("identify a gateway", "&=IDENTIFY", 2, once);
    both("identify a device", "#UID12=IDENTIFY;", 2, once);
    both("identify by serial number", "#SN812=IDENTIFY;", 2, once);
    both("register", "#UID=REGISTER;", 2, once);
    both("arming a UID", "#uid=12;", 2, once);
    both("arming a UID, upper case", "#UID=12;", 2, once);
    both("a UID for a serial number", "#SN812.UID=7;", 2, once);
    both("a light's keypad command", "#2.1.0.LED=ON\r", 2, once);
    both("a motor's keypad command", "#1.1.1.MOTOR=UP\r", 2, once);
    both("no value at all", "&NAME", 2, once);
}

void TestRetryRule::repeats() {
    QFETCH(QByteArray, text);
    QFETCH(int, retries);
    QFETCH(CPacing, pacing);

    CDocFixture fixture;
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(fixture.doc());
    QList<int> sentAt;
    CSequenceRun* run =
        sequencer.start(QStringLiteral("one text"),
                        CSequenceRun::fromList(
                            {{[&](CSequenceRun&) {
                                  sentAt.append(static_cast<int>(timers.now().count()));
                                  return true;
                              },
                              1000ms, CAwait::echo("10.0.0.2", "NAME", "Hall"),
                              CPacedStep::Repeat{CRetryRule::repeatsFor(text, retries), {}, {}}}}),
                        pacing);
    QSignalSpy finished(run, &CSequenceRun::finished);
    for (int ms = 0; ms < 20000 && finished.isEmpty(); ms += 10) {
        QCoreApplication::processEvents();
        timers.advance(10ms);
    }
    QCOMPARE(finished.size(), 1);
    QTEST(sentAt, "sentAt");
    QCOMPARE(CRetryRule::isSafeToRepeat(text), sentAt.size() > 1 || retries == 0);
}

QTEST_GUILESS_MAIN(TestRetryRule)
#include "TestRetryRule.moc"
