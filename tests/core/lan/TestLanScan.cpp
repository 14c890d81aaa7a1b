#include "support/CFakeHostNameResolver.h"
#include "support/CFakeNeighbourProbe.h"

#include "core/lan/CLanScan.h"
#include "core/transport/CIpv4Address.h"
#include "support/CManualClock.h"

#include <QSet>
#include <QTest>
#include <algorithm>
#include <atomic>

using namespace std::chrono_literals;

namespace {

quint32 address(const QByteArray& dotted) {
    return CIpv4Address::fromDotted(dotted);
}

CMacAddress macOf(int host) {
    return CMacAddress({0x00, 0x1a, 0x2b, 0x3c, 0x4d, static_cast<quint8>(host)});
}

QByteArray text(const CLanScanRow& row) {
    return row.numberText() + ' ' + row.addressText() + ' ' + row.macText() + ' ' +
           row.name.toLatin1();
}

// One scan against the paper LAN on a clock that sleeping moves.
struct Scan {
    CManualClock clock{QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0))};
    CFakeNeighbourProbe probe{clock};
    std::shared_ptr<CFakeHostNameResolver> names = std::make_shared<CFakeHostNameResolver>();
    CLanScanOptions options;
    std::atomic<bool> stop{false};
    QList<CLanScanBatch> batches;

    Scan() { options.lookupThreads = 0; }  // names on the scan's thread: no real time

    bool run(const QByteArray& adapter, std::function<void(const CLanScanBatch&)> also = {}) {
        CLanScan scan(probe, names, clock, options);
        return scan.run(address(adapter), stop, [&](const CLanScanBatch& batch) {
            batches.append(batch);
            if (also) {
                also(batch);
            }
        });
    }
    QList<QByteArray> rows() const {
        QList<QByteArray> all;
        for (const CLanScanBatch& batch : batches) {
            for (const CLanScanRow& row : batch.rows) {
                all << text(row);
            }
        }
        return all;
    }
};

}  // namespace

// The scan engine on a paper LAN: what it probes and when, what becomes a row, in which
// order and with which number, and how it ends.
class TestLanScan : public QObject {
    Q_OBJECT

private slots:
    void probesEveryAddressOfTheNetworkOnce();
    void rowsComeInAddressOrderWhateverOrderHostsAnswer();
    void ownMachineIsAmongTheRows();
    void answerAfterTheWaitIsNotAHost();
    void neverMoreProbesInFlightThanAllowed_data();
    void neverMoreProbesInFlightThanAllowed();
    void answeredProbesFreeTheirPlaceAtOnce();
    void progressAndStatus();
    void adapterWithoutAddressAsksNobody();
    void stopEndsTheScanWithoutAFinalReport();
    void nameThatDoesNotComeInTimeIsLeftEmpty();
    void neighboursOfOtherNetworksAreNotRows();
};

void TestLanScan::probesEveryAddressOfTheNetworkOnce() {
    Scan scan;
    QVERIFY(scan.run("192.168.5.77"));
    const auto sent = scan.probe.record()->sentCopy();
    QSet<QByteArray> probed;
    for (const auto& probe : sent) {
        probed.insert(CIpv4Address::toDotted(probe.address));
    }
    QCOMPARE(sent.size(), 254);
    QCOMPARE(probed.size(), 254);
    QVERIFY(probed.contains("192.168.5.1"));
    QVERIFY(probed.contains("192.168.5.254"));
    QVERIFY(probed.contains("192.168.5.77"));  // not one of this machine's addresses here
    QVERIFY(!probed.contains("192.168.5.0"));
    QVERIFY(!probed.contains("192.168.5.255"));
    QCOMPARE(CIpv4Address::toDotted(sent.front().address), QByteArray("192.168.5.1"));
    QCOMPARE(scan.probe.record()->sourcesCopy(), QList<quint32>{address("192.168.5.77")});
    QCOMPARE(scan.probe.record()->endCount(), 1);
    QVERIFY(scan.rows().isEmpty());
}

void TestLanScan::rowsComeInAddressOrderWhateverOrderHostsAnswer() {
    Scan scan;
    scan.probe.addHost(address("10.77.1.3"), macOf(3), 1500ms);  // slow
    scan.probe.addHost(address("10.77.1.7"), macOf(7), 10ms);
    scan.probe.addHost(address("10.77.1.200"), macOf(200), 0ms);
    scan.probe.addHost(address("10.77.1.254"), macOf(254), 900ms);
    scan.names->addName(address("10.77.1.7"), QStringLiteral("gateway-lobby"));
    QVERIFY(scan.run("10.77.1.1"));

    QCOMPARE(scan.rows(), (QList<QByteArray>{
                              "1 10.77.1.3 [00:1A:2B:3C:4D:03] ",
                              "2 10.77.1.7 [00:1A:2B:3C:4D:07] gateway-lobby",
                              "3 10.77.1.200 [00:1A:2B:3C:4D:C8] ",
                              "4 10.77.1.254 [00:1A:2B:3C:4D:FE] ",
                          }));
    QCOMPARE(scan.names->lookUpCount(), 4);  // only found hosts are looked up
}

void TestLanScan::ownMachineIsAmongTheRows() {
    Scan scan;
    scan.probe.addOwnAddress(address("192.168.5.77"), macOf(77));
    scan.probe.addHost(address("192.168.5.80"), macOf(80));
    scan.names->addName(address("192.168.5.77"), QStringLiteral("installer-pc"));
    QVERIFY(scan.run("192.168.5.77"));
    QCOMPARE(scan.rows(), (QList<QByteArray>{"1 192.168.5.77 [00:1A:2B:3C:4D:4D] installer-pc",
                                             "2 192.168.5.80 [00:1A:2B:3C:4D:50] "}));
    // Nobody answers for the machine itself: it is not probed.
    for (const auto& probe : scan.probe.record()->sentCopy()) {
        QVERIFY(probe.address != address("192.168.5.77"));
    }
}

void TestLanScan::answerAfterTheWaitIsNotAHost() {
    Scan scan;
    scan.options.answerWait = 2000ms;
    scan.probe.addHost(address("10.0.0.5"), macOf(5), 1980ms);
    scan.probe.addHost(address("10.0.0.6"), macOf(6), 2020ms);
    QVERIFY(scan.run("10.0.0.1"));
    QCOMPARE(scan.rows(), QList<QByteArray>{"1 10.0.0.5 [00:1A:2B:3C:4D:05] "});
}

void TestLanScan::neverMoreProbesInFlightThanAllowed_data() {
    QTest::addColumn<int>("maxInFlight");
    QTest::newRow("128") << 128;
    QTest::newRow("50") << 50;
    QTest::newRow("1") << 1;
    QTest::newRow("all at once") << 254;
}

void TestLanScan::neverMoreProbesInFlightThanAllowed() {
    QFETCH(int, maxInFlight);
    Scan scan;
    scan.options.maxInFlight = maxInFlight;
    scan.options.answerWait = 1000ms;
    QVERIFY(scan.run("10.0.0.1"));

    // Nobody answers: every probe holds its place for the whole wait.
    const auto sent = scan.probe.record()->sentCopy();
    QCOMPARE(sent.size(), 254);
    for (const auto& probe : sent) {
        const qsizetype inFlight = std::count_if(sent.begin(), sent.end(), [&](const auto& other) {
            return other.at <= probe.at && other.at.msecsTo(probe.at) < 1000;
        });
        QVERIFY2(inFlight <= maxInFlight, qPrintable(QString::number(inFlight)));
    }
    const qsizetype firstWave = std::count_if(
        sent.begin(), sent.end(), [&](const auto& probe) { return probe.at == sent.front().at; });
    QCOMPARE(firstWave, std::min(maxInFlight, 254));
}

void TestLanScan::answeredProbesFreeTheirPlaceAtOnce() {
    Scan scan;
    scan.options.maxInFlight = 4;
    scan.options.answerWait = 60000ms;
    for (int host = 1; host <= 254; ++host) {
        scan.probe.addHost(CIpv4Address::fromHostOrder(0x0A000000u | host), macOf(host), 0ms);
    }
    QVERIFY(scan.run("10.0.0.1"));
    QCOMPARE(scan.rows().size(), 254);
    QCOMPARE(scan.rows().back(), QByteArray("254 10.0.0.254 [00:1A:2B:3C:4D:FE] "));
    // 4 at a time, one poll each: far below a single answer wait.
    QVERIFY(scan.clock.slept() < 60000ms);
}

void TestLanScan::progressAndStatus() {
    Scan scan;
    scan.probe.addHost(address("192.168.5.2"), macOf(2), 500ms);
    QVERIFY(scan.run("192.168.5.77"));

    QVERIFY(scan.batches.size() >= 2);
    QCOMPARE(scan.batches.front().progress, 0);
    QCOMPARE(scan.batches.front().status, QByteArray("192.168.5.1"));
    int last = -1;
    for (const CLanScanBatch& batch : scan.batches) {
        QVERIFY(batch.progress >= last);
        QVERIFY(batch.progress > last || !batch.rows.isEmpty() || last < 0);
        last = batch.progress;
        QCOMPARE(batch.finished, &batch == &scan.batches.back());
    }
    const CLanScanBatch& end = scan.batches.back();
    QCOMPARE(end.progress, 254);
    QCOMPARE(end.status, QByteArray(" "));
    // The status names the address the list waits for.
    for (const CLanScanBatch& batch : scan.batches) {
        if (!batch.finished) {
            QCOMPARE(batch.status, "192.168.5." + QByteArray::number(batch.progress + 1));
        }
    }
}

void TestLanScan::adapterWithoutAddressAsksNobody() {
    Scan scan;
    QVERIFY(scan.run("0.0.0.0"));
    QVERIFY(scan.probe.record()->sentCopy().isEmpty());
    QVERIFY(scan.rows().isEmpty());
    QCOMPARE(scan.batches.back().progress, 254);
    QVERIFY(scan.batches.back().finished);
}

void TestLanScan::stopEndsTheScanWithoutAFinalReport() {
    Scan scan;
    scan.options.maxInFlight = 10;
    scan.options.answerWait = 100ms;
    for (int host = 1; host <= 254; host += 2) {
        scan.probe.addHost(CIpv4Address::fromHostOrder(0x0A000000u | host), macOf(host), 0ms);
    }
    const bool completed = scan.run("10.0.0.1", [&](const CLanScanBatch& batch) {
        if (batch.progress >= 40) {
            scan.stop = true;
        }
    });
    QVERIFY(!completed);
    QVERIFY(!scan.batches.back().finished);
    QVERIFY(scan.batches.back().progress < 254);
    QCOMPARE(scan.probe.record()->endCount(), 1);
    QVERIFY(scan.probe.record()->sentCopy().size() < 254);
}

void TestLanScan::nameThatDoesNotComeInTimeIsLeftEmpty() {
    Scan scan;
    scan.options.lookupThreads = 2;
    scan.options.nameWait = 1500ms;
    scan.probe.addHost(address("10.0.0.9"), macOf(9));
    scan.probe.addHost(address("10.0.0.10"), macOf(10));
    scan.names->addName(address("10.0.0.9"), QStringLiteral("never-heard"));
    scan.names->holdLookUps();  // a name server that does not answer
    QVERIFY(scan.run("10.0.0.1"));
    scan.names->releaseLookUps();
    QCOMPARE(scan.rows(), (QList<QByteArray>{"1 10.0.0.9 [00:1A:2B:3C:4D:09] ",
                                             "2 10.0.0.10 [00:1A:2B:3C:4D:0A] "}));
}

void TestLanScan::neighboursOfOtherNetworksAreNotRows() {
    Scan scan;
    scan.probe.addHost(address("10.0.1.5"), macOf(5), 0ms);
    scan.probe.addOwnAddress(address("10.0.1.1"), macOf(1));
    scan.probe.addOwnAddress(address("127.0.0.1"), CMacAddress());
    QVERIFY(scan.run("10.0.0.1"));
    QVERIFY(scan.rows().isEmpty());
}

QTEST_GUILESS_MAIN(TestLanScan)
#include "TestLanScan.moc"
