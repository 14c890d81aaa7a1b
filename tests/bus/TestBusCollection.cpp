#include "../sim/SimTestSupport.h"
#include "bus/CBusCollection.h"
#include "common/CXPathQuery.h"
#include "sequence/CSequencer.h"
#include "support/CVirtualSite.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(CPacing)

namespace {

// A site on the hand-driven clock whose devices the plan already knows (registered).
class Site {
public:
    explicit Site(int devices, int unaddressed = 0)
        : m_virtual(makeSite(devices, unaddressed), m_fixture, m_timers) {
        m_sequencer.watch(m_fixture.doc());
        m_virtual.send("#UID=REGISTER;", CIpv4Address::kBroadcast);
        m_virtual.runUntil([] { return false; }, 50);
    }

    CVirtualSite& site() { return m_virtual; }
    CDocFixture& fixture() { return m_fixture; }
    CSequencer& sequencer() { return m_sequencer; }

    CSequenceRun* start(CPacing pacing) {
        return m_sequencer.start(QString::fromLatin1(CBusCollection::kRunName),
                                 CBusCollection::lanes(m_fixture.doc(), m_virtual.sender(), {}),
                                 pacing);
    }
    // The sends since the registration, their times counted from the collection's start.
    QStringList collectionSends(qint64 start) const {
        QStringList sends;
        for (const QString& sent : m_virtual.sent().mid(1)) {
            const qsizetype blank = sent.indexOf(QLatin1Char(' '));
            sends.append(QString::number(sent.left(blank).toLongLong() - start) + sent.mid(blank));
        }
        return sends;
    }

private:
    static CSimSite makeSite(int devices, int unaddressed) {
        CSimSiteConfig config;
        config.addresses = {simtest::ip(simtest::kGatewayAddress)};
        config.devicesPerGateway = devices;
        config.deviceTypes = {"DRIVE_A"};
        config.unaddressedPerGateway = unaddressed;
        QString error;
        auto site = CSimSiteBuilder::build(simtest::smallModels(), config, error);
        if (!site) {
            qFatal("site: %s", qPrintable(error));
        }
        return std::move(*site);
    }

    CDocFixture m_fixture;
    CManualTimerSource m_timers;
    CSequencer m_sequencer{m_timers};
    CVirtualSite m_virtual;
};

}  // namespace

// The bus collection as a sequence: the same texts in the same order under both pacings,
// the pauses, the progress, and how it ends.
class TestBusCollection : public QObject {
    Q_OBJECT

private slots:
    void pacing_data();
    void pacing();
    void serialDevicesAreNotAskedByTheirNumber();
    void firstFailedSendEndsTheRun();
    void nothingToCollect();
};

void TestBusCollection::pacing_data() {
    QTest::addColumn<CPacing>("pacing");
    QTest::addColumn<QStringList>("sends");
    QTest::addColumn<qint64>("end");

    // The gateway's and each device's report come at once: paced by replies, each pause
    // ends once they have been quiet for 100 ms.
    QTest::newRow("fixed pauses") << CPacing::Fixed
                                  << QStringList{"100 &=?;", "2100 #UID1=?;", "3100 #UID2=?;",
                                                 "4100 #UID3=?;", "5100 #UID4=?;"}
                                  << qint64(7100);
    QTest::newRow("paced by replies")
        << CPacing::ByReplies
        << QStringList{"100 &=?;", "200 #UID1=?;", "300 #UID2=?;", "400 #UID3=?;", "500 #UID4=?;"}
        << qint64(600);
}

void TestBusCollection::pacing() {
    QFETCH(CPacing, pacing);
    QFETCH(QStringList, sends);
    QFETCH(qint64, end);

    Site site(4);
    const qint64 start = site.site().now();
    CSequenceRun* run = site.start(pacing);
    QSignalSpy progress(run, &CSequenceRun::progress);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 60000));

    QCOMPARE(site.collectionSends(start), sends);
    QCOMPARE(site.site().now() - start, end);
    QCOMPARE(finished.front().front().value<CSequenceRun::Outcome>(),
             CSequenceRun::Outcome::Completed);
    QList<int> values;
    for (const QList<QVariant>& value : std::as_const(progress)) {
        values.append(value.front().toInt());
    }
    QCOMPARE(values, (QList<int>{16384, 32768, 49152, 65536}));
    // Every device reported everything it has: the same plan either way.
    QCOMPARE(CXPathQuery::selectFixed(site.fixture().doc().plan(), "//DEVICE[@UID]/PORT/MOTOR/MODE")
                 .size(),
             size_t{8});
}

void TestBusCollection::serialDevicesAreNotAskedByTheirNumber() {
    Site site(3, 1);
    const qint64 start = site.site().now();
    CSequenceRun* run = site.start(CPacing::Fixed);
    QSignalSpy progress(run, &CSequenceRun::progress);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 60000));

    QCOMPARE(site.collectionSends(start),
             (QStringList{"100 &=?;", "2100 #UID1=?;", "3100 #UID2=?;"}));
    QCOMPARE(progress.size(), 3);
    QCOMPARE(progress.back().front().toInt(), CBusCollection::kProgressRange);
}

void TestBusCollection::firstFailedSendEndsTheRun() {
    Site site(4);
    const qint64 start = site.site().now();
    CSequenceRun* run = site.start(CPacing::Fixed);
    QSignalSpy finished(run, &CSequenceRun::finished);
    site.site().runUntil([] { return false; }, start + 2500);
    site.site().failSends(true);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 60000));

    QCOMPARE(finished.front().front().value<CSequenceRun::Outcome>(),
             CSequenceRun::Outcome::Failed);
    QCOMPARE(site.collectionSends(start),
             (QStringList{"100 &=?;", "2100 #UID1=?;", "3100 #UID2=?;"}));
    QCOMPARE(site.site().now() - start, qint64(3100));
}

void TestBusCollection::nothingToCollect() {
    CDocFixture fixture;
    QVERIFY(!CBusCollection::hasDevices(fixture.doc().plan()));
    fixture.receive({"[00:00:00] (10.0.0.2) !NAME=Hall;"});
    QVERIFY(!CBusCollection::hasDevices(fixture.doc().plan()));
    fixture.receive({"[00:00:00] (10.0.0.2) +SN812;"});
    QVERIFY(CBusCollection::hasDevices(fixture.doc().plan()));

    QCOMPARE(CBusCollection::pacingOf(QStringLiteral("Fixed")), CPacing::Fixed);
    QCOMPARE(CBusCollection::pacingOf(QStringLiteral("replies")), CPacing::ByReplies);
    QCOMPARE(CBusCollection::pacingOf(QString()), CPacing::ByReplies);
}

QTEST_GUILESS_MAIN(TestBusCollection)
#include "TestBusCollection.moc"
