#include "core/bus/CBusCollection.h"
#include "core/bus/CRollCall.h"
#include "core/common/CXPathQuery.h"
#include "core/sequence/CSequencer.h"
#include "core/upload/CDeviceAnswers.h"
#include "sim/SimTestSupport.h"
#include "support/CVirtualSite.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(CPacing)
Q_DECLARE_METATYPE(std::vector<std::set<quint32>>)
Q_DECLARE_METATYPE(std::vector<std::vector<quint32>>)

namespace {

// A site on the hand-driven clock whose devices the plan already knows (registered).
class Site {
public:
    explicit Site(int devices, int unaddressed = 0) : Site(makeSite(devices, unaddressed)) {}
    explicit Site(CSimSite site) : m_virtual(std::move(site), m_fixture, m_timers) {
        m_sequencer.watch(m_fixture.doc());
        m_virtual.send("#UID=REGISTER;", CIpv4Address::kBroadcast);
        m_virtual.runUntil([] { return false; }, 50);
    }

    CVirtualSite& site() { return m_virtual; }
    CDocFixture& fixture() { return m_fixture; }
    CSequencer& sequencer() { return m_sequencer; }

    CSequenceRun* start(CPacing pacing, CBusCollection::Options options = {},
                        std::shared_ptr<CCollectionSummary> report = {}) {
        return m_sequencer.start(
            QString::fromLatin1(CBusCollection::kRunName),
            CBusCollection::lanes(m_fixture.doc(), m_virtual.sender(), options, std::move(report)),
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
    void gatewaysAtTheSameTimeOrOneAfterAnother_data();
    void gatewaysAtTheSameTimeOrOneAfterAnother();
    void incompleteReportsAreAskedAgainAndNamed();
    void lossInBothDirections();
    void rollCallAsksWhatNobodyAnnounced_data();
    void rollCallAsksWhatNobodyAnnounced();
};

namespace {

// Two gateways of the shipped models with a few devices each.
CSimSite shippedSite(int gateways, int devices) {
    CSimSiteConfig config;
    for (int g = 0; g < gateways; ++g) {
        config.addresses.append(simtest::ip(g == 0 ? "10.0.0.2" : "10.0.0.3"));
    }
    config.devicesPerGateway = devices;
    QString error;
    auto site = CSimSiteBuilder::build(simtest::shippedModels(), config, error);
    if (!site) {
        qFatal("site: %s", qPrintable(error));
    }
    return std::move(*site);
}

// Whether the plan holds every setting the site's gateways and devices have.
int settingsMissing(CSimSite& site, const pugi::xml_document& plan) {
    int missing = 0;
    const auto count = [&missing](const CSimSettings& settings, const pugi::xml_node& element) {
        const CDeviceAnswers held = CDeviceAnswers::fromPlanElement(element);
        for (const CSimSetting& setting : settings.all()) {
            missing += held.find(setting.address) ? 0 : 1;
        }
    };
    const pugi::xml_node configuration = plan.document_element().child("Device_Configuration");
    for (const CSimGateway& gateway : site.gateways()) {
        count(gateway.settings(),
              configuration.find_child_by_attribute(
                  "UBRIX", "IP", CIpv4Address::toDotted(gateway.address()).constData()));
        for (const CSimBusDevice& device : gateway.devices()) {
            count(device.settings(),
                  configuration.find_child_by_attribute(
                      "DEVICE", "UID", QByteArray::number(*device.uid()).constData()));
        }
    }
    return missing;
}

}  // namespace

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

void TestBusCollection::gatewaysAtTheSameTimeOrOneAfterAnother_data() {
    QTest::addColumn<bool>("concurrent");
    QTest::addColumn<QStringList>("sends");
    QTest::addColumn<qint64>("end");

    // Fixed pauses: each gateway's texts in the order the collection always had.
    QTest::newRow("at the same time")
        << true
        << QStringList{"100 10.0.0.2 &=?;",      "100 10.0.0.3 &=?;",      "2100 10.0.0.2 #UID1=?;",
                       "2100 10.0.0.3 #UID3=?;", "3100 10.0.0.2 #UID2=?;", "3100 10.0.0.3 #UID4=?;"}
        << qint64(5100);
    QTest::newRow("one after another")
        << false
        << QStringList{"100 10.0.0.2 &=?;",      "2100 10.0.0.3 &=?;",     "4100 10.0.0.2 #UID1=?;",
                       "5100 10.0.0.2 #UID2=?;", "6100 10.0.0.3 #UID3=?;", "7100 10.0.0.3 #UID4=?;"}
        << qint64(9100);
}

void TestBusCollection::gatewaysAtTheSameTimeOrOneAfterAnother() {
    QFETCH(bool, concurrent);
    Site site(shippedSite(2, 2));
    QStringList sends;
    const qint64 start = site.site().now();
    CSequenceRun* run = site.sequencer().start(
        QString::fromLatin1(CBusCollection::kRunName),
        CBusCollection::lanes(site.fixture().doc(),
                              [&](QByteArrayView text, quint32 address) {
                                  sends.append(
                                      QStringLiteral("%1 %2 %3")
                                          .arg(site.site().now() - start)
                                          .arg(QString::fromLatin1(CIpv4Address::toDotted(address)))
                                          .arg(QString::fromLatin1(text)));
                                  return site.site().send(text, address);
                              },
                              {concurrent, 2, {}}),
        CPacing::Fixed);
    QSignalSpy progress(run, &CSequenceRun::progress);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 60000));
    QTEST(sends, "sends");
    QTEST(site.site().now() - start, "end");
    // The progress counts the devices of the whole site.
    QCOMPARE(progress.back().front().toInt(), CBusCollection::kProgressRange);
    QCOMPARE(progress.size(), 4);
    QCOMPARE(settingsMissing(site.site().site(), site.fixture().doc().plan()), 0);
}

void TestBusCollection::incompleteReportsAreAskedAgainAndNamed() {
    Site site(shippedSite(1, 2));
    // The second device stays silent; the first loses what its report says last.
    CSimDeviceFaults silent;
    silent.silent = true;
    QVERIFY(site.site().site().setDeviceFaults(0, 2, silent));
    const QList<CSimSetting> settings =
        site.site().site().gateways()[0].deviceByUid(1)->settings().all();
    CSimSettings shorter;
    for (qsizetype i = 0; i + 1 < settings.size(); ++i) {
        shorter.set(settings[i].address, settings[i].value);
    }
    site.site().site().gateways()[0].deviceByUid(1)->settings() = shorter;
    auto report = std::make_shared<CCollectionSummary>();
    const qint64 start = site.site().now();
    CSequenceRun* run = site.start(CPacing::ByReplies, {}, report);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 60000));

    // The gateway once; the shortened report again (it brought something), then twice
    // more without anything new; the silent device thrice.
    QCOMPARE(site.collectionSends(start).size(), 1 + 4 + 3);
    QCOMPARE(report->repeats, 5);
    QCOMPARE(report->devicesAsked, 2);
    QCOMPARE(report->incomplete.size(), size_t(2));
    const CCollectionSummary::Incomplete& lacking = report->incomplete.front();
    QCOMPARE(lacking.line(), QStringLiteral("UID 1 behind 10.0.0.2 did not report ") +
                                 QString::fromLatin1(settings.back().address.text()));
    QCOMPARE(report->incomplete.back().line(),
             QStringLiteral("UID 2 behind 10.0.0.2 did not answer"));
    QVERIFY(run->endMessage().contains(QStringLiteral("2 of them did not report everything")));
}

void TestBusCollection::lossInBothDirections() {
    Site site(shippedSite(2, 6));
    CSimFaults faults;
    faults.dropShare = 0.05;
    faults.commandDropShare = 0.05;
    faults.seed = 11;
    site.site().site().setFaults(faults);
    auto report = std::make_shared<CCollectionSummary>();
    const qint64 start = site.site().now();
    CSequenceRun* run = site.start(CPacing::ByReplies, {}, report);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QVERIFY(site.site().runUntil([&] { return !finished.isEmpty(); }, start + 600000));

    QVERIFY(site.site().site().counters().dropped > 0);
    QVERIFY(site.site().site().counters().commandsLost > 0);
    QVERIFY(report->repeats > 0);
    QVERIFY(report->isComplete());
    QCOMPARE(settingsMissing(site.site().site(), site.fixture().doc().plan()), 0);
    // Nothing but the queries went out again.
    for (const QString& sent : site.collectionSends(start)) {
        QVERIFY2(sent.endsWith(QLatin1String("=?;")), qPrintable(sent));
    }
    QVERIFY(run->endMessage().isEmpty());
}

namespace {
using Uids = std::vector<quint32>;

Uids uidsFrom(quint32 first, quint32 last) {
    Uids uids;
    for (quint32 uid = first; uid <= last; ++uid) {
        uids.push_back(uid);
    }
    return uids;
}
}  // namespace

// Each row: the UIDs known before each round (answers in between), and what each round asks.
void TestBusCollection::rollCallAsksWhatNobodyAnnounced_data() {
    QTest::addColumn<std::vector<std::set<quint32>>>("known");
    QTest::addColumn<std::vector<Uids>>("rounds");
    QTest::newRow("nothing lost: the top is asked retries + 1 times, then no more")
        << std::vector<std::set<quint32>>{{1, 2}, {1, 2}, {1, 2}, {1, 2}}
        << std::vector<Uids>{{3, 4}, {3, 4}, {3, 4}, {}};
    QTest::newRow("a gap is asked, and once it answers no longer")
        << std::vector<std::set<quint32>>{{1, 3}, {1, 2, 3}, {1, 2, 3}}
        << std::vector<Uids>{{2, 4, 5}, {4, 5}, {4, 5}};
    QTest::newRow("a whole bus unheard is found UID by UID")
        << std::vector<std::set<quint32>>{{}, {1, 2}, {1, 2, 3, 4}}
        << std::vector<Uids>{{1, 2}, {3, 4}, {5, 6}};
    QTest::newRow("far-apart UIDs: at most 64 UIDs are ever asked")
        << std::vector<std::set<quint32>>{{1, 1000}, {1, 1000}}
        << std::vector<Uids>{uidsFrom(2, 65), uidsFrom(2, 65)};
}

void TestBusCollection::rollCallAsksWhatNobodyAnnounced() {
    QFETCH(std::vector<std::set<quint32>>, known);
    QFETCH(std::vector<Uids>, rounds);
    CRollCall call(2);
    for (size_t round = 0; round < rounds.size(); ++round) {
        QCOMPARE(call.nextRound(known[round]), rounds[round]);
    }
}

QTEST_GUILESS_MAIN(TestBusCollection)
#include "TestBusCollection.moc"
