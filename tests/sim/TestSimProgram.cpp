#include "core/transport/CIpv4Address.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QSet>
#include <QTest>

namespace {

constexpr int kWatchdogMs = 10000;
const QString kProgram = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const quint32 kLoopback = CIpv4Address::fromDotted("127.0.0.1");
const quint32 kFirstGateway = CIpv4Address::fromDotted("127.0.0.2");
const quint32 kLoopbackBroadcast = CIpv4Address::fromDotted("127.255.255.255");

const QByteArray kListing =
    "gateway 1 127.0.0.2 UBRIX_A Ubrix 1; restarts 0\n"
    "  SN 100001 UID 1 LUMET_AC\n"
    "  SN 100002 UID 2 LUMET_AM\n"
    "  SN 100003 no UID LUMET_BC\n"
    "gateway 2 127.0.0.3 UBRIX_B Ubrix 2; restarts 0\n"
    "  SN 101001 UID 4 LUMET_BM\n"
    "  SN 101002 UID 5 MOTRA_AC\n"
    "  SN 101003 no UID TAVO_A\n"
    "ready\n";

// Reads standard output until it ends with the text, or the watchdog says no.
bool readUntil(QProcess& process, QByteArray& out, const QByteArray& ending) {
    QElapsedTimer watchdog;
    watchdog.start();
    while (!out.endsWith(ending) && watchdog.elapsed() < kWatchdogMs) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    return out.endsWith(ending);
}

}  // namespace

// The program vorel-sim: its site on loopback, control lines on standard input, how it
// ends, and what it says when it cannot start.
class TestSimProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void runsASiteAndTakesControlLines();
    void keepsRunningWhenInputEnds();
    void faultOptionsReachTheSite();
    void logsEveryCommandAndCountsRestarts();
    void refusesBadOptions();
    void saysWhenAnAddressIsNotHere();
    void printsHelp();

private:
    bool start(const QStringList& arguments, QByteArray* listing = nullptr);

    QProcess m_process;
};

void TestSimProgram::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
}

void TestSimProgram::cleanup() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kWatchdogMs);
    }
}

bool TestSimProgram::start(const QStringList& arguments, QByteArray* listing) {
    m_process.start(kProgram, arguments);
    if (!m_process.waitForStarted(kWatchdogMs)) {
        return false;
    }
    QByteArray out;
    const bool ready = readUntil(m_process, out, "ready\n");
    if (listing != nullptr) {
        *listing = out;
    }
    return ready;
}

void TestSimProgram::runsASiteAndTakesControlLines() {
    QByteArray listing;
    QVERIFY(start(
        {"--gateways", "2", "--devices", "3", "--base-address", "127.0.0.2", "--unaddressed", "1"},
        &listing));
    QCOMPARE(listing, kListing);

    CUdpPeer program;
    QVERIFY(program.bind(kLoopback, 4000));
    QVERIFY(program.send("&NAME=?;", kLoopbackBroadcast, 5000));
    QSet<QByteArray> heard;
    for (int i = 0; i < 2; ++i) {
        const auto reply = program.receive(kWatchdogMs);
        QVERIFY(reply.has_value());
        heard.insert(CIpv4Address::toDotted(reply->sender) + " " + reply->bytes);
    }
    QCOMPARE(heard,
             QSet<QByteArray>({"127.0.0.2 !NAME=Ubrix 1;\r\n", "127.0.0.3 !NAME=Ubrix 2;\r\n"}));

    QVERIFY(program.send("#UID=30;", kFirstGateway, 5000));
    QVERIFY(program.send("&NAME=?;", kFirstGateway, 5000));
    QVERIFY(program.receive(kWatchdogMs).has_value());  // arming happened before this answer
    m_process.write("press 1 100003\n");
    QByteArray out;
    QVERIFY(readUntil(m_process, out, "pressed 100003\n"));
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("+UID30;\r\n"));
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("!UID30.TYPE=LUMET_BC;\r\n"));

    m_process.write("press 9 1\nfly\n");
    QVERIFY(
        readUntil(m_process, out, "error: no gateway 9\nerror: unknown command fly (try help)\n"));
    m_process.write("quit\n");
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process.exitCode(), 0);
    // The broadcast reached both gateways: four datagrams received, five replies sent.
    const QByteArray stats = m_process.readAllStandardError();
    QVERIFY2(stats.startsWith("vorel-sim: received 4, not commands 0") && stats.contains("sent 5,"),
             stats.constData());
}

void TestSimProgram::keepsRunningWhenInputEnds() {
    QVERIFY(start({"--base-address", "127.0.0.2", "--quiet"}));
    m_process.closeWriteChannel();
    CUdpPeer program;
    QVERIFY(program.bind(kLoopback, 4000));
    QVERIFY(program.send("&NAME=?;", kFirstGateway, 5000));
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("!NAME=Ubrix 1;\r\n"));
    m_process.terminate();
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process.exitCode(), 0);
    QVERIFY(m_process.readAllStandardError().contains("sent 1"));
}

void TestSimProgram::faultOptionsReachTheSite() {
    QVERIFY(start({"--base-address", "127.0.0.2", "--quiet", "--wrong-type", "--delay-ms", "10"}));
    CUdpPeer program;
    QVERIFY(program.bind(kLoopback, 4000));
    QVERIFY(program.send("&TYPE=?;", kFirstGateway, 5000));
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("!TYPE=UBRIX_B;\r\n"));
}

void TestSimProgram::logsEveryCommandAndCountsRestarts() {
    QVERIFY(start({"--base-address", "127.0.0.2", "--gateways", "2", "--devices", "0", "--quiet",
                   "--log-commands"}));
    CUdpPeer program;
    QVERIFY(program.bind(kLoopback, 4000));
    QVERIFY(program.send("&NAME=?;", kLoopbackBroadcast, 5000));
    QByteArray out;
    QVERIFY(readUntil(m_process, out, "<- 127.0.0.1 to all: &NAME=?;\n"));
    QVERIFY(program.send("&VERSION_HW=RESET;\r", kFirstGateway, 5000));
    QVERIFY(readUntil(m_process, out, "<- 127.0.0.1 to 127.0.0.2: &VERSION_HW=RESET;\\r\n"));
    m_process.write("list\n");
    QVERIFY2(readUntil(m_process, out,
                       "gateway 1 127.0.0.2 UBRIX_A Ubrix 1; restarts 1\n"
                       "gateway 2 127.0.0.3 UBRIX_B Ubrix 2; restarts 0\n"),
             out.constData());
}

void TestSimProgram::refusesBadOptions() {
    m_process.start(kProgram, {"--drop", "2"});
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitCode(), 2);
    QCOMPARE(m_process.readAllStandardError(),
             QByteArray("vorel-sim: invalid value for --drop: 2\n"));
    QVERIFY(m_process.readAllStandardOutput().isEmpty());

    m_process.start(kProgram, {"--types", "LAMP", "--base-address", "127.0.0.2"});
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitCode(), 2);
    QCOMPARE(m_process.readAllStandardError(), QByteArray("vorel-sim: unknown device type LAMP\n"));
}

void TestSimProgram::saysWhenAnAddressIsNotHere() {
    m_process.start(kProgram, {"--base-address", "10.99.0.1"});
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitCode(), 1);
    QCOMPARE(
        m_process.readAllStandardError(),
        QByteArray("vorel-sim: cannot listen on 10.99.0.1:5000: Cannot assign requested address "
                   "(no interface of this network namespace has the address)\n"));
}

void TestSimProgram::printsHelp() {
    m_process.start(kProgram, {"--help"});
    QVERIFY(m_process.waitForFinished(kWatchdogMs));
    QCOMPARE(m_process.exitCode(), 0);
    const QByteArray help = m_process.readAllStandardOutput();
    for (const char* option : {"--gateways", "--devices", "--base-address", "--addresses",
                               "--send-port", "--recv-port", "--types", "--drop", "--delay-ms",
                               "--wrong-type", "--malformed", "--seed", "--control-port"}) {
        QVERIFY2(help.contains(option), option);
    }
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "TestSimProgram.moc"
