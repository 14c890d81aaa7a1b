#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include "core/address/CSettingAddress.h"
#include "core/transport/CIpv4Address.h"
#include "sim/CSimNetwork.h"

#include <QTest>
#include <memory>

namespace {

const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));

using Run = CProgramRun;

Run runCli(const QStringList& arguments) {
    return CProgramRun::of(kCli, arguments + QStringList{"--loopback", "--wait-ms", "1000"}, 30000);
}

}  // namespace

// vorel-cli set and restart against a simulated site in this process, whose journal shows
// exactly what the tool sent and whose gateways show what they took.
class TestCliSetRestart : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void set_data();
    void set();
    void restart_data();
    void restart();

private:
    QByteArray simulated(int gateway, const QByteArray& path) const;
    std::unique_ptr<CSimNetwork> m_site;
};

void TestCliSetRestart::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    QString error;
    m_site = CSimNetwork::startDemo(3, 0, testsupport::runtimePath(QString()), error);
    QVERIFY2(m_site != nullptr, qPrintable(error));
}

QByteArray TestCliSetRestart::simulated(int gateway, const QByteArray& path) const {
    return m_site->withSite([gateway, path](CSimSite& site) {
        return site.gateways()[gateway].settings().value(*CSettingAddress::parseWellFormed(path));
    });
}

void TestCliSetRestart::set_data() {
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("error");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QByteArray>("held");  // the setting afterwards on gateway 1, 2 or 3

    QTest::newRow("name") << "127.0.0.3"
                          << "NAME=Hall" << 0 << QByteArray("NAME=Hall\n") << QByteArray()
                          << QList<QByteArray>{"&NAME=Hall;"} << QByteArray("2 NAME=Hall");
    QTest::newRow("a port's setting")
        << "127.0.0.4"
        << "A.SERIAL.TYPE=NONE" << 0 << QByteArray("A.SERIAL.TYPE=NONE\n") << QByteArray()
        << QList<QByteArray>{"&A.SERIAL.TYPE=NONE;"} << QByteArray("3 A.SERIAL.TYPE=NONE");
    QTest::newRow("a cleared name") << "127.0.0.2"
                                    << "NAME=" << 0 << QByteArray("NAME=\n") << QByteArray()
                                    << QList<QByteArray>{"&NAME=;"} << QByteArray("1 NAME=");
    QTest::newRow("a Latin-1 value, one byte on the wire")
        << "127.0.0.2"
        << "NAME=Caf\u00e9" << 0 << QByteArray("NAME=Caf\xe9\n") << QByteArray()
        << QList<QByteArray>{"&NAME=Caf\xe9;"} << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a value the gateway refuses")
        << "127.0.0.2"
        << "NETWORK.DHCP=FAST" << 7 << QByteArray()
        << QByteArray(
               "the gateway at 127.0.0.2 did not take the value: it reports "
               "NETWORK.DHCP=ENABLE")
        << QList<QByteArray>{"&NETWORK.DHCP=FAST;", "&NETWORK.DHCP=?;"}
        << QByteArray("1 NETWORK.DHCP=ENABLE");
    QTest::newRow("a second command in the value")
        << "127.0.0.2"
        << "NAME=a;&VERSION_HW=RESET" << 2 << QByteArray()
        << QByteArray("The value may not contain \";\"") << QList<QByteArray>()
        << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a line break in the value")
        << "127.0.0.2"
        << "NAME=a\nb" << 2 << QByteArray() << QByteArray("control character")
        << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a port above 65535")
        << "127.0.0.2"
        << "UDP.LISTEN_PORT=99999" << 8 << QByteArray()
        << QByteArray("UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)\n")
        << QList<QByteArray>() << QByteArray("1 UDP.LISTEN_PORT=5000");
    QTest::newRow("a bus device's level above 255")
        << "127.0.0.2"
        << "UID1.LED.LEVEL_MAX=999" << 8 << QByteArray()
        << QByteArray("LED.LEVEL_MAX: 999 is above 255 (a whole number 0-255)\n")
        << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
    // A reply holding "?" is taken for a query's echo: such a value is never sent.
    QTest::newRow("a name beginning with a question mark")
        << "127.0.0.2"
        << "NAME=?x" << 2 << QByteArray() << QByteArray("The value may not contain \"?\"")
        << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a query instead of a value")
        << "127.0.0.2"
        << "NAME=?" << 2 << QByteArray() << QByteArray("The value may not contain \"?\"")
        << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a question mark in a password")
        << "127.0.0.2"
        << "TELNET.PASSWORD=a?b" << 2 << QByteArray()
        << QByteArray("The value may not contain \"?\"") << QList<QByteArray>()
        << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("a time zone of colons")
        << "127.0.0.3"
        << "DAYTIME.TIME_ZONE=::::::" << 8 << QByteArray()
        << QByteArray("DAYTIME.TIME_ZONE: :::::: is not a time zone") << QList<QByteArray>()
        << QByteArray("2 DAYTIME.TIME_ZONE=+01:00");
    QTest::newRow("no path") << "127.0.0.2"
                             << "=x" << 2 << QByteArray() << QByteArray("names no setting")
                             << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
    QTest::newRow("nobody there") << "127.0.0.9"
                                  << "NAME=x" << 3 << QByteArray()
                                  << QByteArray("the gateway at 127.0.0.9 did not answer")
                                  << QList<QByteArray>() << QByteArray("1 NAME=Caf\xe9");
}

void TestCliSetRestart::set() {
    QFETCH(QString, gateway);
    QFETCH(QString, assignment);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, error);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QByteArray, held);

    m_site->journal().clear();
    const Run run = runCli({"set", gateway, assignment});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QCOMPARE(m_site->journal().textsHeardBy(CIpv4Address::fromDotted(gateway.toLatin1())), sent);
    const int equals = static_cast<int>(held.indexOf('='));
    QCOMPARE(simulated(held.left(1).toInt() - 1, held.mid(2, equals - 2)), held.mid(equals + 1));
}

void TestCliSetRestart::restart_data() {
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<int>>("restarts");
    QTest::newRow("one gateway") << "127.0.0.3" << 0 << QList<int>{0, 1, 0};
    QTest::newRow("never all of them") << "255.255.255.255" << 2 << QList<int>{0, 0, 0};
    QTest::newRow("not an address") << "gateway" << 2 << QList<int>{0, 0, 0};
}

void TestCliSetRestart::restart() {
    QFETCH(QString, gateway);
    QFETCH(int, exitCode);
    QFETCH(QList<int>, restarts);

    m_site->withSite([](CSimSite& site) {
        site.setRestartSilenceMs(0);
        return 0;
    });
    const auto counts = [this] {
        return m_site->withSite([](CSimSite& site) {
            QList<int> counted;
            for (const CSimGateway& one : site.gateways()) {
                counted << one.restartCount();
            }
            return counted;
        });
    };
    const QList<int> before = counts();
    m_site->journal().clear();
    const Run run = runCli({"restart", gateway});
    QCOMPARE(run.exitCode, exitCode);
    QList<int> expected;
    for (int i = 0; i < restarts.size(); ++i) {
        expected << before[i] + restarts[i];
    }
    QTRY_COMPARE(counts(), expected);
    const int sent = exitCode == 0 ? 1 : 0;
    QCOMPARE(m_site->journal().entries().size(), sent);
}

QTEST_GUILESS_MAIN(TestCliSetRestart)
#include "TestCliSetRestart.moc"
