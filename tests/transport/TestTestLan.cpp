#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "transport/CIpv4Address.h"

#include <QNetworkInterface>
#include <QTest>

namespace {

constexpr int kPort = 5000;
constexpr int kWatchdogMs = 5000;

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

QTEST_GUILESS_MAIN(TestTestLan)
#include "TestTestLan.moc"
