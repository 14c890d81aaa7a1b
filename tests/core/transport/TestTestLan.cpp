#include "core/transport/CIpv4Address.h"
#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"

#include <QFile>
#include <QNetworkInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPort = 5000;
constexpr int kWatchdogMs = 5000;

const QString kInNetns = QStringLiteral(VOREL_SOURCE_DIR "/scripts/in-netns");

QByteArray ownNamespace() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/ns/net"))
        .section(QLatin1Char('/'), -1)
        .toLatin1();
}

QStringList interfaceNames() {
    QStringList names;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        names.append(interface.name());
    }
    names.sort();
    return names;
}

}  // namespace

// The test network itself: tests trust it to keep their traffic off this machine's own
// interfaces and to join exactly the hosts it says it joins.
class TestTestLan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void isolatedProcessSeesLoopbackOnly();
    void hostsOfOneLanHearEachOtherAndTheProgram();
    void lansAreSeparate();
    void takenDownCompletely();
    void inNetnsRunsInAFreshNamespace();
    void inNetnsRunsNothingWhereItLanded_data();
    void inNetnsRunsNothingWhereItLanded();
    void aTestThatCannotIsolateItselfFailsWhereRequired_data();
    void aTestThatCannotIsolateItselfFailsWhereRequired();
};

void TestTestLan::initTestCase() {
    const QString why = CTestLan::isolateProcess() + CTestLan::whyNoLan();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestTestLan::isolatedProcessSeesLoopbackOnly() {
    QCOMPARE(interfaceNames(), QStringList{QStringLiteral("lo")});
}

void TestTestLan::hostsOfOneLanHearEachOtherAndTheProgram() {
    CTestLan lan;
    QVERIFY2(lan.addLan(1) && lan.addHost(1, 2) && lan.addHost(1, 3), qPrintable(lan.error()));
    const CTestLan::Host& second = *lan.host(1, 2);
    const CTestLan::Host& third = *lan.host(1, 3);
    auto listener = [&](const CTestLan::Host& host) {
        return lan.inHost(host, [] {
            CUdpPeer made;
            made.bind(0, kPort);
            return made;
        });
    };
    CUdpPeer atSecond = listener(second);
    CUdpPeer atThird = listener(third);
    CUdpPeer program;
    QVERIFY(program.bind(CTestLan::programAddress(1), 0));

    // A subnet broadcast from the program reaches both hosts, from the program's address.
    QVERIFY(program.send("hello", CIpv4Address::fromDotted("10.77.1.255"), kPort));
    for (CUdpPeer* peer : {&atSecond, &atThird}) {
        const auto heard = peer->receive(kWatchdogMs);
        QVERIFY(heard.has_value());
        QCOMPARE(heard->bytes, QByteArray("hello"));
        QCOMPARE(heard->sender, CTestLan::programAddress(1));
    }
    // A host answers from its own address.
    QVERIFY(lan.inHost(second, [&] {
        CUdpPeer gateway;
        return gateway.bind(second.address, 0) &&
               gateway.send("!NAME=Two;", CTestLan::programAddress(1), program.localPort());
    }));
    const auto answer = program.receive(kWatchdogMs);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->sender, CTestLan::hostAddress(1, 2));

    // A thread can move to a host for good.
    std::thread player([&] {
        QVERIFY(CTestLan::enterHost(third));
        CUdpPeer gateway;
        QVERIFY(gateway.bind(third.address, 0));
    });
    player.join();
}

void TestTestLan::lansAreSeparate() {
    CTestLan lan;
    QVERIFY2(lan.addLan(1) && lan.addHost(1, 2) && lan.addLan(2) && lan.addHost(2, 2),
             qPrintable(lan.error()));
    CUdpPeer onLan2 = lan.inHost(*lan.host(2, 2), [] {
        CUdpPeer made;
        made.bind(0, kPort);
        return made;
    });
    // A host of LAN 1 has no way to LAN 2: it has no route there.
    const bool sent = lan.inHost(*lan.host(1, 2), [] {
        CUdpPeer made;
        return made.send("leak", CTestLan::hostAddress(2, 2), kPort);
    });
    QVERIFY(!sent);
    QVERIFY(!onLan2.receive(200).has_value());
}

void TestTestLan::takenDownCompletely() {
    {
        CTestLan lan;
        QVERIFY2(lan.addLan(1) && lan.addHost(1, 2), qPrintable(lan.error()));
        QVERIFY(interfaceNames().contains(QStringLiteral("vlan1")));
    }
    QCOMPARE(interfaceNames(), QStringList{QStringLiteral("lo")});
    // And the same names can be built again at once.
    CTestLan again;
    QVERIFY2(again.addLan(1) && again.addHost(1, 2), qPrintable(again.error()));
}

void TestTestLan::inNetnsRunsInAFreshNamespace() {
    const CProgramRun run = CProgramRun::of(
        kInNetns, {QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("readlink /proc/self/ns/net; ip -o link show | cut -d: -f2")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> printed = run.out.trimmed().split('\n');
    QCOMPARE(printed.size(), 2);
    QVERIFY(printed.at(0).startsWith("net:["));
    QVERIFY(printed.at(0) != ownNamespace());
    QCOMPARE(printed.at(1).trimmed(), QByteArray("lo"));
}

// The check it makes after unsharing, given where it would have landed: the namespace it
// started in, or one with more than loopback (this test's, once it holds a LAN).
void TestTestLan::inNetnsRunsNothingWhereItLanded_data() {
    QTest::addColumn<bool>("startedHere");
    QTest::addColumn<bool>("withLan");
    QTest::addColumn<QByteArray>("refusal");
    QTest::newRow("never left") << true << false << QByteArray("still in the network namespace");
    QTest::newRow("more than loopback")
        << false << true << QByteArray("has interfaces besides loopback (vlan1)");
}

void TestTestLan::inNetnsRunsNothingWhereItLanded() {
    QFETCH(bool, startedHere);
    QFETCH(bool, withLan);
    QFETCH(QByteArray, refusal);
    CTestLan lan;
    if (withLan) {
        QVERIFY2(lan.addLan(1), qPrintable(lan.error()));
    }
    QTemporaryDir folder;
    const QString marker = folder.filePath(QStringLiteral("ran"));
    const QString startedIn =
        startedHere ? QString::fromLatin1(ownNamespace()) : QStringLiteral("net:[1]");

    const CProgramRun run = CProgramRun::of(
        kInNetns, {QStringLiteral("--checked-inside"), startedIn, QStringLiteral("touch"), marker});

    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(refusal), run.err.constData());
    QVERIFY(!QFile::exists(marker));
}

// This very program run again as a user who may not make a namespace: it skips, unless
// isolation is required (as CI requires it), where it fails.
void TestTestLan::aTestThatCannotIsolateItselfFailsWhereRequired_data() {
    QTest::addColumn<bool>("required");
    QTest::addColumn<bool>("fails");
    QTest::newRow("required") << true << true;
    QTest::newRow("not required") << false << false;
}

void TestTestLan::aTestThatCannotIsolateItselfFailsWhereRequired() {
    QFETCH(bool, required);
    QFETCH(bool, fails);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VOREL_REQUIRE_ISOLATION"),
                       required ? QStringLiteral("1") : QStringLiteral("0"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                   QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                   QStringLiteral("isolatedProcessSeesLoopbackOnly")});
    QVERIFY(process.waitForFinished(60000));
    const QByteArray err = process.readAllStandardError();
    if (err.contains("setpriv:")) {
        QSKIP(qPrintable(QStringLiteral("cannot run as another user here: ") +
                         QString::fromLocal8Bit(err)));
    }
    const QByteArray out = process.readAllStandardOutput();
    const bool failed = process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0;
    QCOMPARE(failed, fails);
    QCOMPARE(out.contains("SKIP   : TestTestLan::initTestCase()"), !fails);
    if (fails) {
        QVERIFY2(err.contains("this test may not skip") || out.contains("this test may not skip"),
                 err.constData());
    }
}

QTEST_GUILESS_MAIN(TestTestLan)
#include "TestTestLan.moc"
