#include "core/transport/CIpv4Address.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/TestSupport.h"

#include <QTcpSocket>
#include <QTest>

namespace {

constexpr int kWatchdogMs = 5000;
const quint32 kFirst = CIpv4Address::fromDotted("127.0.0.2");
const quint32 kSecond = CIpv4Address::fromDotted("127.0.0.3");

QStringList described(const QList<CSimCommandJournal::Entry>& entries) {
    QStringList lines;
    for (const CSimCommandJournal::Entry& entry : entries) {
        lines << QString::fromLatin1(CSimCommandJournal::describe(entry));
    }
    return lines;
}

}  // namespace

// The site's journal of the commands it received: what a test reads to see exactly what
// went out, and what --log-commands prints.
class TestSimJournal : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recordsEveryCommandAsItCame();
    void keepsTheLatestEntries();
};

void TestSimJournal::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestSimJournal::recordsEveryCommandAsItCame() {
    QString error;
    CSimNetwork::Options options;
    options.tcpPort = 2323;
    const auto site =
        CSimNetwork::startDemo(2, 0, testsupport::runtimePath(QString()), error, options);
    QVERIFY2(site != nullptr, qPrintable(error));
    QList<CSimCommandJournal::Entry> observed;
    std::mutex observedMutex;
    site->journal().setObserver([&](const CSimCommandJournal::Entry& entry) {
        std::lock_guard lock(observedMutex);
        observed.append(entry);
    });

    // One at a time: datagrams on different sockets are not taken in the order sent.
    CUdpPeer program;
    QVERIFY(program.bind(CIpv4Address::fromDotted("127.0.0.1"), 4000));
    QVERIFY(program.send("&=?;", CIpv4Address::fromDotted("127.255.255.255"), 5000));
    QTRY_COMPARE(site->journal().entries().size(), 1);
    QVERIFY(program.send("&NAME=Hall;", kSecond, 5000));
    QTRY_COMPARE(site->journal().entries().size(), 2);
    QVERIFY(program.send(QByteArray("a\tb\x01\xe9\\;", 7), kFirst, 5000));
    QTRY_COMPARE(site->journal().entries().size(), 3);
    QTcpSocket tcp;
    tcp.connectToHost(QStringLiteral("127.0.0.2"), 2323);
    QVERIFY(tcp.waitForConnected(kWatchdogMs));
    tcp.write("&VERSION_HW=RESET;");
    QVERIFY(tcp.waitForBytesWritten(kWatchdogMs));

    const QStringList expected{
        "<- 127.0.0.1 to all: &=?;",
        "<- 127.0.0.1 to 127.0.0.3: &NAME=Hall;",
        "<- 127.0.0.1 to 127.0.0.2: a\\x09b\\x01\\xe9\\\\;",
        "<- 127.0.0.1 to 127.0.0.2 by TCP: &VERSION_HW=RESET;",
    };
    QTRY_COMPARE_WITH_TIMEOUT(described(site->journal().entries()), expected, kWatchdogMs);
    const QList<CSimCommandJournal::Entry> entries = site->journal().entries();
    QCOMPARE(entries[0].heardBy, (QList<quint32>{kFirst, kSecond}));
    QVERIFY(entries[0].broadcast && !entries[1].broadcast && entries[3].tcp);
    QCOMPARE(site->journal().textsHeardBy(kSecond), (QList<QByteArray>{"&=?;", "&NAME=Hall;"}));
    {
        std::lock_guard lock(observedMutex);
        QCOMPARE(described(observed), expected);
    }
    QTRY_COMPARE(site->withSite([](CSimSite& s) { return s.gateways()[0].restartCount(); }), 1);
    QVERIFY(site->control("list").contains("Ubrix 1; restarts 1\n"));
    site->journal().setObserver({});
    site->journal().clear();
    QVERIFY(site->journal().entries().isEmpty());
}

void TestSimJournal::keepsTheLatestEntries() {
    CSimCommandJournal journal(3);
    for (int i = 0; i < 5; ++i) {
        journal.record({CIpv4Address::fromDotted("10.0.0.1"),
                        "&N=" + QByteArray::number(i) + ";",
                        false,
                        false,
                        {kFirst}});
    }
    QCOMPARE(described(journal.entries()),
             (QStringList{"<- 10.0.0.1 to 127.0.0.2: &N=2;", "<- 10.0.0.1 to 127.0.0.2: &N=3;",
                          "<- 10.0.0.1 to 127.0.0.2: &N=4;"}));
}

QTEST_GUILESS_MAIN(TestSimJournal)
#include "TestSimJournal.moc"
