#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSim = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));

CProgramRun runCli(const QStringList& arguments) {
    return CProgramRun::of(kCli, arguments);
}

// Gateways 127.0.0.21 and .22 (UBRIX_A), each with three LUMET_BC: UIDs 1-3 and 4-6, UID 6
// silent. The project changes settings of both gateways and of UIDs 1 and 4, gives one
// setting a value that is none of its options, and lists the silent device.
const QByteArray kProject =
    "<Plan><Device_Configuration>"
    "<UBRIX IP='127.0.0.21'><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME>"
    "<TELNET><TIMEOUT>60</TIMEOUT><STATE>MAYBE</STATE></TELNET></UBRIX>"
    "<UBRIX IP='127.0.0.22'><TYPE>UBRIX_A</TYPE><NAME>Lobby</NAME></UBRIX>"
    "<DEVICE UID='1'><TYPE>LUMET_BC</TYPE><ALIAS>Desk</ALIAS>"
    "<PORT P='A'><LED><DISSOLVE>25</DISSOLVE></LED></PORT></DEVICE>"
    "<DEVICE UID='4'><TYPE>LUMET_BC</TYPE><ALIAS>Wall</ALIAS></DEVICE>"
    "<DEVICE UID='6'><TYPE>LUMET_BC</TYPE><ALIAS>Quiet</ALIAS></DEVICE>"
    "</Device_Configuration><Network_Configuration/></Plan>";

// The counts of the rows; how often a query or a set went again is the run's own.
QJsonObject counts(const QJsonObject& report, const char* kind) {
    QJsonObject counts =
        report.value(QLatin1String(kind)).toObject().value(QStringLiteral("counts")).toObject();
    counts.remove(QStringLiteral("queriesRepeated"));
    counts.remove(QStringLiteral("setsRepeated"));
    return counts;
}

}  // namespace

// vorel-cli upload and diff against vorel-sim on loopback: the rows of an offline diff and
// of a dry run agree, a dry run changes nothing, an upload leaves the site holding the
// project's values, and the exit codes tell the truth.
class TestCliUpload : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void diffAgainstACollectedMapAndDryRunAgree();
    void uploadLeavesTheProjectOnTheSite();
    void exitCodes_data();
    void exitCodes();

private:
    QString writeProject(const QString& name, const QByteArray& text);

    QProcess m_sim;
    QTemporaryDir m_dir;
};

void TestCliUpload::initTestCase() {
    const QString skip = CTestLan::isolateProcess();
    if (!skip.isEmpty()) {
        QSKIP(qPrintable(skip));
    }
    m_sim.start(kSim, {"--gateways", "2", "--devices", "3", "--base-address", "127.0.0.21",
                       "--gateway-types", "UBRIX_A", "--types", "LUMET_BC", "--fault", "2 6 silent",
                       "--quiet"});
    QVERIFY2(m_sim.waitForStarted(10000), qPrintable(m_sim.errorString()));
    CProgramRun discovery;
    for (int attempt = 0; attempt < 50 && discovery.out.count('\n') < 2; ++attempt) {
        discovery = runCli({"discover", "--loopback", "--wait-ms", "500"});
    }
    QCOMPARE(discovery.out.count('\n'), 2);
}

void TestCliUpload::cleanupTestCase() {
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.kill();
        m_sim.waitForFinished(5000);
    }
}

QString TestCliUpload::writeProject(const QString& name, const QByteArray& text) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return {};
    }
    return path;
}

void TestCliUpload::diffAgainstACollectedMapAndDryRunAgree() {
    const QString project = writeProject(QStringLiteral("project.xml"), kProject);
    const QString map = m_dir.filePath(QStringLiteral("map.xml"));
    // The silent device never answers the collection, so the map holds no UID 6.
    const CProgramRun collected = runCli({"collect", "--loopback", "--map", map});
    QVERIFY2(collected.exitCode == 0, collected.err.constData());

    const CProgramRun diff = runCli({"diff", "--project", project, "--map", map, "--json"});
    QCOMPARE(diff.exitCode, 6);
    const QJsonObject offline = QJsonDocument::fromJson(diff.out).object();
    QCOMPARE(counts(offline, "gateways").value("toSend").toInt(), 3);
    QCOMPARE(counts(offline, "gateways").value("notApplied").toInt(), 1);
    QCOMPARE(counts(offline, "devices").value("toSend").toInt(), 3);
    QCOMPARE(counts(offline, "devices").value("notFound").toInt(), 1);
    const QJsonArray rows = offline.value("gateways")
                                .toObject()
                                .value("devices")
                                .toArray()
                                .first()
                                .toObject()
                                .value("rows")
                                .toArray();
    QStringList commands;
    for (const QJsonValue& row : rows) {
        commands.append(row.toObject().value("command").toString());
    }
    QCOMPARE(commands.join('|'), QStringLiteral("|&NAME=Hall|&TELNET.TIMEOUT=60|"));

    const CProgramRun dryRun =
        runCli({"upload", "--loopback", "--project", project, "--dry-run", "--json"});
    QCOMPARE(dryRun.exitCode, 6);
    const QJsonObject online = QJsonDocument::fromJson(dryRun.out).object();
    for (const char* kind : {"gateways", "devices"}) {
        QCOMPARE(counts(online, kind), counts(offline, kind));
    }
    QVERIFY(runCli({"query", "127.0.0.21", "--loopback"}).out.contains("NAME=Ubrix 1\n"));
}

void TestCliUpload::uploadLeavesTheProjectOnTheSite() {
    const QString project = writeProject(QStringLiteral("upload.xml"), kProject);
    const CProgramRun upload = runCli({"upload", "--loopback", "--project", project});
    // One setting is none of its options and one device is silent: not all applied.
    QCOMPARE(upload.exitCode, 6);
    QVERIFY2(upload.err.contains("->Upload Start\n"), upload.err.constData());
    QVERIFY(upload.err.contains("->Upload Error: UID 6 not found on network\n"));
    QVERIFY(upload.out.contains("  NAME = Hall (device: Ubrix 1): sent, confirmed  &NAME=Hall\n"));
    QVERIFY(upload.out.contains("TELNET.STATE = MAYBE: skipped: not an option"));
    QVERIFY(upload.out.contains("Sent: 3, confirmed by echo: 3, without echo: 0"));
    QVERIFY(upload.out.contains("UID 6: passed over"));
    // The buses announced their devices, and both buses went at once: the second bus's device
    // began before the first one's rows were written.
    QVERIFY(upload.err.contains("Registering the buses' devices...\n"));
    const qsizetype firstRows = upload.err.indexOf("DEVICE[@UID='1']/TYPE");
    const qsizetype secondBus = upload.err.indexOf("UID: 4\n");
    QVERIFY2(secondBus >= 0 && secondBus < firstRows, upload.err.constData());

    const CProgramRun first = runCli({"query", "127.0.0.21", "--loopback"});
    QVERIFY(first.out.contains("NAME=Hall\n"));
    QVERIFY(first.out.contains("TELNET.TIMEOUT=60\n"));
    QVERIFY(first.out.contains("TELNET.STATE=ENABLE\n"));
    QVERIFY(runCli({"query", "127.0.0.22", "--loopback"}).out.contains("NAME=Lobby\n"));
    const CProgramRun device = runCli({"send", "#UID1=?;", "--loopback"});
    QVERIFY(device.out.contains("!UID1.ALIAS=Desk;"));
    QVERIFY(device.out.contains("!UID1.A.LED.DISSOLVE=25;"));

    // Once more: everything that can be applied is there now.
    const CProgramRun again = runCli({"upload", "--loopback", "--project", project, "--gateways"});
    QCOMPARE(again.exitCode, 6);
    QVERIFY(again.out.contains("Sent: 0, confirmed by echo: 0"));
}

void TestCliUpload::exitCodes_data() {
    QTest::addColumn<QByteArray>("project");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("everything already there")
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP='127.0.0.22'><TYPE>UBRIX_A</TYPE>"
               "<TELNET><STATE>ENABLE</STATE></TELNET></UBRIX></Device_Configuration>"
               "</Plan>")
        << QStringList{"--gateways", "--pacing", "fixed"} << 0 << QByteArray();
    QTest::newRow("a value of the wrong type is named and never sent")
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP='127.0.0.22'><TYPE>UBRIX_A</TYPE>"
               "<UDP><LISTEN_PORT>99999</LISTEN_PORT></UDP></UBRIX></Device_Configuration>"
               "</Plan>")
        << QStringList{"--gateways"} << 8
        << QByteArray("IP 127.0.0.22: UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)");
    QTest::newRow("nobody answers")
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP='127.0.0.29'><TYPE>UBRIX_A</TYPE>"
               "<NAME>x</NAME></UBRIX></Device_Configuration></Plan>")
        << QStringList{"--gateways"} << 3 << QByteArray();
    QTest::newRow("a silent device aborts the bus upload")
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE UID='6'><TYPE>LUMET_BC</TYPE>"
               "<ALIAS>x</ALIAS></DEVICE><DEVICE UID='5'><TYPE>LUMET_BC</TYPE>"
               "<ALIAS>y</ALIAS></DEVICE></Device_Configuration></Plan>")
        << QStringList{"--devices", "--missing", "abort"} << 6 << QByteArray();
    QTest::newRow("wrong pacing") << QByteArray("<Plan/>") << QStringList{"--pacing", "slow"} << 2
                                  << QByteArray();
    QTest::newRow("project that does not parse")
        << QByteArray("<Plan>") << QStringList{} << 8 << QByteArray();
}

void TestCliUpload::exitCodes() {
    QFETCH(QByteArray, project);
    QFETCH(QStringList, options);
    const QString path = writeProject(QStringLiteral("codes.xml"), project);
    const CProgramRun run =
        runCli(QStringList{"upload", "--loopback", "--project", path} + options);
    QTEST(run.exitCode, "exitCode");
    QFETCH(QByteArray, error);
    QVERIFY2(run.err.contains(error), run.err.constData());
}

QTEST_GUILESS_MAIN(TestCliUpload)
#include "TestCliUpload.moc"
