#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSim = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kWatchdogMs = 60000;

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

}  // namespace

// vorel-cli's bus commands against vorel-sim playing 2 gateways (127.0.0.31 and .32) with 3
// devices each, the last of each bus without a UID (serial numbers 100003 and 101003).
// Each command exits 0 only when the site confirmed what it was asked.
class TestCliBusCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void commands_data();
    void commands();
    void armedUidWaitsForTheButton();

private:
    Run cli(const QStringList& arguments);
    bool control(const QByteArray& line, const QRegularExpression& answer);

    QProcess m_sim;
    QByteArray m_simOut;
    QTemporaryDir m_dir;
};

Run TestCliBusCommands::cli(const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(kCli, arguments + QStringList{"--loopback"});
    Run run;
    if (!process.waitForFinished(kWatchdogMs)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A control line on the simulator's standard input; whether its answer matches.
bool TestCliBusCommands::control(const QByteArray& line, const QRegularExpression& answer) {
    m_simOut.clear();
    m_sim.write(line + '\n');
    for (int turn = 0; turn < 500; ++turn) {
        m_sim.waitForReadyRead(20);
        m_simOut += m_sim.readAllStandardOutput();
        if (answer.match(QString::fromLatin1(m_simOut)).hasMatch()) {
            return true;
        }
    }
    return false;
}

void TestCliBusCommands::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    m_sim.start(kSim, {"--gateways", "2", "--devices", "3", "--unaddressed", "1", "--base-address",
                       "127.0.0.31"});
    QVERIFY2(m_sim.waitForStarted(10000), qPrintable(m_sim.errorString()));
    Run discovery;
    for (int attempt = 0; attempt < 50 && discovery.out.count('\n') < 2; ++attempt) {
        discovery = cli({"discover", "--wait-ms", "500"});
    }
    QCOMPARE(discovery.out.count('\n'), 2);
}

void TestCliBusCommands::cleanupTestCase() {
    m_sim.write("quit\n");
    if (!m_sim.waitForFinished(5000)) {
        m_sim.kill();
    }
}

void TestCliBusCommands::commands_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // a pattern for all of stdout
    QTest::addColumn<QString>("err");  // a text stderr holds
    QTest::addColumn<QByteArray>("controlLine");
    QTest::addColumn<QString>("simulated");  // a pattern its answer matches

    QTest::newRow("register one bus")
        << QStringList{"register", "--to", "127.0.0.31"} << 0
        << "127.0.0.31 UID 1\n127.0.0.31 UID 2\n127.0.0.31 SN 100003\n"
        << QString() << QByteArray() << QString();
    QTest::newRow("address by serial number")
        << QStringList{"address", "--serial", "100003", "--uid", "50", "--via", "127.0.0.31"} << 0
        << "127.0.0.31 UID 50\n"
        << QString() << QByteArray("list") << QStringLiteral("SN 100003 UID 50 ");
    QTest::newRow("a serial number nobody has")
        << QStringList{"address", "--serial",   "999",       "--uid", "51",
                       "--via",   "127.0.0.31", "--timeout", "1"}
        << 3 << QString() << "SN 999 behind 127.0.0.31 did not confirm UID 51" << QByteArray()
        << QString();
    QTest::newRow("identify a device by serial number")
        << QStringList{"identify", "127.0.0.32", "--serial", "101002"} << 0 << QString()
        << QString() << QByteArray("list")
        << QStringLiteral("SN 101002 UID 5 \\S+; identified 1\n");
    QTest::newRow("identify a gateway")
        << QStringList{"identify", "127.0.0.32"} << 0 << QString() << QString()
        << QByteArray("list") << QStringLiteral("Ubrix 2; identified 1; restarts 0\n");
    QTest::newRow("presets, echoed")
        << QStringList{"presets", "--uid", "1", "--via", "127.0.0.31", "lamp.cms"} << 0 << QString()
        << QString() << QByteArray("show 1 1") << QStringLiteral("\nLED.PRESET.101=0.0.255\n");
    QTest::newRow("presets of a refused file")
        << QStringList{"presets", "--uid", "1", "--via", "127.0.0.31", "bad.cms"} << 8 << QString()
        << "Line 2 of the preset file" << QByteArray() << QString();
    QTest::newRow("presets to a device that is not there")
        << QStringList{"presets",    "--uid",    "77",        "--via",
                       "127.0.0.31", "lamp.cms", "--wait-ms", "500"}
        << 6 << QString() << "UID 77 did not echo UID77.LED.PRESET.100=255.128.0" << QByteArray()
        << QString();
    QTest::newRow("collect with fixed pauses")
        << QStringList{"collect", "--map", "site.xml", "--pacing", "fixed", "--json"} << 0
        << R"(\{"devices":6,"gateways":2,"incomplete":\[\],"map":"site.xml","partial":false,)"
           R"("repeats":0,"rollCall":0,"silent":\[\]\}\n)"
        << QString() << QByteArray() << QString();
    QTest::newRow("a device's setting, in capitals as the bus view sends it")
        << QStringList{"set", "127.0.0.31", QString::fromUtf8("UID1.ALIAS=desk caf\xc3\xa9")} << 0
        << QStringLiteral("UID1.ALIAS=DESK CAF\u00c9\n") << QString() << QByteArray("show 1 1")
        << QStringLiteral("\nALIAS=DESK CAF\u00c9\n");
    QTest::newRow("a port's setting of a device")
        << QStringList{"set", "127.0.0.31", "UID1.A.LED.DISSOLVE=20"} << 0
        << "UID1.A.LED.DISSOLVE=20\n"
        << QString() << QByteArray("show 1 1") << QStringLiteral("\nA.LED.DISSOLVE=20\n");
    QTest::newRow("a value the device refuses")
        << QStringList{"set", "127.0.0.31", "UID1.A.LED.MODE=sparkle"} << 7 << QString()
        << "UID 1 behind 127.0.0.31 did not take the value: it reports A.LED.MODE=RGBW"
        << QByteArray() << QString();
    QTest::newRow("a device that is not there")
        << QStringList{"set", "127.0.0.31", "UID77.ALIAS=x", "--wait-ms", "500"} << 3 << QString()
        << "UID 77 behind 127.0.0.31 did not answer" << QByteArray() << QString();
    QTest::newRow("no device has UID 0")
        << QStringList{"set", "127.0.0.31", "UID0.ALIAS=x"} << 2 << QString()
        << "UID0 is no UID: a number from 1 to 999999" << QByteArray() << QString();
    QTest::newRow("a device's value is checked like any other")
        << QStringList{"set", "127.0.0.31", "UID1.ALIAS=a;#UID2=RESET"} << 2 << QString()
        << "The value may not contain \";\"" << QByteArray() << QString();
    QTest::newRow("an unknown pacing")
        << QStringList{"collect", "--map", "x.xml", "--pacing", "fast"} << 2 << QString()
        << "--pacing is fixed or replies, not 'fast'" << QByteArray() << QString();
}

void TestCliBusCommands::commands() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QByteArray, controlLine);
    QFETCH(QString, simulated);

    for (const auto& [name, text] : {std::pair{"lamp.cms", "255,128,0\r\n0,0,255\r\n"},
                                     std::pair{"bad.cms", "1,1\n2;#UID1=RESET\n"}}) {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    const Run run = cli(arguments);
    QVERIFY2(run.err.contains(err.toLatin1()), run.err.constData());
    QTEST(run.exitCode, "exitCode");
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out))
                 .match(QString::fromLatin1(run.out))
                 .hasMatch(),
             run.out.constData());
    if (!controlLine.isEmpty()) {
        QVERIFY2(control(controlLine, QRegularExpression(simulated)), m_simOut.constData());
    }
}

void TestCliBusCommands::armedUidWaitsForTheButton() {
    QProcess armed;
    armed.start(kCli, {"address", "--arm", "--uid", "60", "--via", "127.0.0.32", "--loopback"});
    QVERIFY(armed.waitForStarted());
    QByteArray err;
    for (int turn = 0; turn < 500 && !err.contains("Press the discover button"); ++turn) {
        armed.waitForReadyRead(20);
        err += armed.readAllStandardError();
    }
    QVERIFY2(err.contains("take UID 60"), err.constData());
    QVERIFY(control("press 2 101003", QRegularExpression(QStringLiteral("pressed 101003\n"))));
    QVERIFY(armed.waitForFinished(kWatchdogMs));
    QCOMPARE(armed.exitCode(), 0);
    QCOMPARE(armed.readAllStandardOutput(), QByteArray("127.0.0.32 UID 60\n"));
}

QTEST_GUILESS_MAIN(TestCliBusCommands)
#include "TestCliBusCommands.moc"
