#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include "core/common/CXmlFile.h"
#include "core/site/CSnapshotStamp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSim = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kWatchdogMs = 10000;

// Every command of this test goes to the simulated site on loopback.
CProgramRun runCli(QStringList arguments) {
    arguments.insert(1, QStringLiteral("--loopback"));
    return CProgramRun::of(kCli, arguments);
}

QString journalPath() {
    return QDir(CProgramRun::dataHome())
        .filePath(QStringLiteral("Quenlow/Ubrix Vorel/journal.jsonl"));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// The site's memory, end to end against vorel-sim on loopback: snapshots and their
// comparison, a failed device and a gateway replaced from a snapshot, the journal of every
// change, and the hand-over report in HTML and PDF. The site: gateways 127.0.0.31 and .32
// (UBRIX_A), each with three LUMET_AM (UIDs 1-3 and 4-6, serial numbers 100001-100003 and
// 101001-101003). The tests run in order, each on the site the one before left.
class TestCliSiteMemory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void snapshotsShowExactlyTheChangesMade();
    void filesThatAreNoMapRefused_data();
    void filesThatAreNoMapRefused();
    void replacedDeviceGetsItsSettingsBack();
    void replacementsRefused_data();
    void replacementsRefused();
    void replacedGatewayGetsItsSettingsBack();
    void journalHoldsEveryChangeButNoSecret();
    void reportOfTheSite();
    void reportCutsLongTexts_data();
    void reportCutsLongTexts();

private:
    QByteArray control(const QByteArray& line);
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString collect(const QString& name);

    QProcess m_sim;
    QTemporaryDir m_dir;
};

void TestCliSiteMemory::initTestCase() {
    const QString skip = CTestLan::isolateProcess();
    if (!skip.isEmpty()) {
        QSKIP(qPrintable(skip));
    }
    m_sim.start(kSim, {"--gateways", "2", "--devices", "3", "--base-address", "127.0.0.31",
                       "--gateway-types", "UBRIX_A", "--types", "LUMET_AM", "--quiet"});
    QVERIFY2(m_sim.waitForStarted(kWatchdogMs), qPrintable(m_sim.errorString()));
    QCOMPARE(control("help").contains("remove <gateway> <uid>"), true);
    CProgramRun discovery;
    for (int attempt = 0; attempt < 50 && discovery.out.count('\n') < 2; ++attempt) {
        discovery = runCli({"discover", "--wait-ms", "500"});
    }
    QCOMPARE(discovery.out.count('\n'), 2);
}

void TestCliSiteMemory::cleanupTestCase() {
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.kill();
        m_sim.waitForFinished(kWatchdogMs);
    }
}

// A control line to the simulator, and its answer (all lines until it is quiet).
QByteArray TestCliSiteMemory::control(const QByteArray& line) {
    m_sim.write(line + '\n');
    QByteArray answer;
    QElapsedTimer watchdog;
    watchdog.start();
    while (watchdog.elapsed() < kWatchdogMs && (answer.isEmpty() || m_sim.waitForReadyRead(200))) {
        m_sim.waitForReadyRead(100);
        answer += m_sim.readAllStandardOutput();
    }
    return answer;
}

QString TestCliSiteMemory::collect(const QString& name) {
    const CProgramRun run = runCli({"collect", "--map", path(name)});
    return run.exitCode == 0 ? path(name) : QString::fromUtf8(run.err);
}

void TestCliSiteMemory::snapshotsShowExactlyTheChangesMade() {
    const QString first = collect(QStringLiteral("first.xml"));
    // A snapshot is a map file: the strict loader takes it, and it says when it was taken.
    pugi::xml_document loaded;
    QString reason;
    QVERIFY2(CXmlFile::load(first, loaded, reason), qPrintable(reason));
    const std::optional<CSnapshotStamp> stamp = CSnapshotStamp::of(loaded);
    QVERIFY(stamp.has_value());
    QVERIFY(stamp->taken.secsTo(QDateTime::currentDateTimeUtc()) < 120);
    QVERIFY(stamp->adapter.contains(QStringLiteral("127.0.0.1")));
    QVERIFY(!stamp->version.isEmpty());

    QCOMPARE(runCli({"set", "127.0.0.31", "NAME=Hall"}).exitCode, 0);
    QCOMPARE(runCli({"set", "127.0.0.31", "UID2.A.LED.DISSOLVE=20"}).exitCode, 0);
    const QString second = collect(QStringLiteral("second.xml"));

    CProgramRun compared = CProgramRun::of(kCli, {"compare", first, second});
    QCOMPARE(compared.exitCode, 9);
    QCOMPARE(compared.out, QByteArray("IP 127.0.0.31: NAME: Ubrix 1 -> Hall\n"
                                      "UID 2: A.LED.DISSOLVE: 10 -> 20\n"));
    compared = CProgramRun::of(kCli, {"compare", first, second, "--json"});
    QCOMPARE(compared.exitCode, 9);
    const QJsonObject json = QJsonDocument::fromJson(compared.out).object();
    QCOMPARE(json.value(QStringLiteral("same")).toBool(true), false);
    const QJsonArray differences = json.value(QStringLiteral("differences")).toArray();
    QCOMPARE(differences.size(), 2);
    QCOMPARE(differences[1].toObject(), (QJsonObject{{"device", "UID 2"},
                                                     {"change", "setting"},
                                                     {"place", "A.LED.DISSOLVE"},
                                                     {"old", "10"},
                                                     {"new", "20"}}));

    compared = CProgramRun::of(kCli, {"compare", second, second});
    QCOMPARE(compared.exitCode, 0);
    QVERIFY(compared.out.isEmpty());
}

void TestCliSiteMemory::filesThatAreNoMapRefused_data() {
    QTest::addColumn<QStringList>("arguments");  // BROKEN stands for the file
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("said");
    const QString second = path(QStringLiteral("second.xml"));
    const QStringList compare{"compare", second, "BROKEN"};
    const QStringList report{"report", "--map", "BROKEN", "--out",
                             path(QStringLiteral("report.html"))};
    // 350 KB that took every reader of it down with its stack.
    const QByteArray deep = QByteArray("<a>").repeated(50000) + QByteArray("</a>").repeated(50000);
    const QByteArray tooDeep("broken.xml: elements nested deeper than 32");
    QTest::newRow("missing file") << compare << QByteArray() << QByteArray("broken.xml");
    QTest::newRow("not XML") << compare << QByteArray("<Plan><Device_Configuration>")
                             << QByteArray("broken.xml");
    QTest::newRow("two document elements")
        << compare << QByteArray("<Plan/><Plan/>") << QByteArray("broken.xml");
    QTest::newRow("another document")
        << compare << QByteArray("<Validate/>") << QByteArray("broken.xml is no map file");
    QTest::newRow("compare, nested deep") << compare << deep << tooDeep;
    QTest::newRow("report of another document")
        << report << QByteArray("<Validate/>") << QByteArray("broken.xml is no map file");
    QTest::newRow("report, nested deep") << report << deep << tooDeep;
    QTest::newRow("diff, nested deep")
        << QStringList{"diff", "--project", "BROKEN", "--map", second} << deep << tooDeep;
    QTest::newRow("project show, nested deep") << QStringList{"project", "show", "BROKEN"} << deep
                                               << QByteArray("Failed to open Template");
}

void TestCliSiteMemory::filesThatAreNoMapRefused() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, text);
    const QString broken = path(QStringLiteral("broken.xml"));
    QFile::remove(broken);
    if (!text.isEmpty()) {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    arguments.replaceInStrings(QStringLiteral("BROKEN"), broken);
    const CProgramRun run = CProgramRun::of(kCli, arguments);
    QCOMPARE(run.exitCode, 8);
    QFETCH(QByteArray, said);
    QVERIFY2(run.err.contains(said), run.err.constData());
    QVERIFY(run.out.isEmpty());
}

// The device with UID 2 fails: it leaves the bus, a new one of its type comes, and the
// replacement gives it UID 2 and every setting the snapshot holds of the old one.
void TestCliSiteMemory::replacedDeviceGetsItsSettingsBack() {
    QCOMPARE(control("remove 1 2"), QByteArray("removed UID 2\n"));
    QCOMPARE(control("add 1 LUMET_AM"), QByteArray("added SN 100004\n"));
    const QString second = path(QStringLiteral("second.xml"));

    const CProgramRun replaced = runCli(
        {"replace", "--uid", "2", "--serial", "100004", "--via", "127.0.0.31", "--from", second});
    QVERIFY2(replaced.exitCode == 0, replaced.err.constData());
    QVERIFY(replaced.out.contains("A.LED.DISSOLVE = 20 (device: 10): sent, confirmed"));
    QVERIFY(replaced.out.contains("ALIAS = DEV100002 (device: DEV100004): sent, confirmed"));

    const CProgramRun compared =
        CProgramRun::of(kCli, {"compare", second, collect(QStringLiteral("third.xml"))});
    QCOMPARE(compared.out, QByteArray("UID 2: replaced: SN 100002 -> SN 100004\n"));
    QCOMPARE(compared.exitCode, 9);
}

void TestCliSiteMemory::replacementsRefused_data() {
    QTest::addColumn<QList<QByteArray>>("controlLines");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("said");

    QTest::newRow("a device still answers")
        << QList<QByteArray>{} << QStringList{"--uid", "3", "--serial", "100004"} << 7
        << QByteArray(
               "UID 3 still answers (behind 127.0.0.31): a device still answering is "
               "never replaced");
    QTest::newRow("the new device is of another type")
        << QList<QByteArray>{"remove 1 1", "add 1 LUMET_BC"}
        << QStringList{"--uid", "1", "--serial", "100005"} << 7
        << QByteArray(
               "The new device reports type LUMET_BC, not LUMET_AM as in the file: "
               "nothing was sent; it keeps UID 1.");
    QTest::newRow("it keeps the UID it was given")
        << QList<QByteArray>{} << QStringList{"--uid", "1", "--serial", "100005"} << 7
        << QByteArray("UID 1 still answers");
    QTest::newRow("no device has the serial number")
        << QList<QByteArray>{"remove 1 1"} << QStringList{"--uid", "1", "--serial", "424242"} << 3
        << QByteArray("SN 424242 behind 127.0.0.31 did not take UID 1");
    QTest::newRow("the file does not hold the UID")
        << QList<QByteArray>{} << QStringList{"--uid", "77", "--arm"} << 8
        << QByteArray("the file holds no bus device with UID 77");
}

void TestCliSiteMemory::replacementsRefused() {
    QFETCH(QList<QByteArray>, controlLines);
    QFETCH(QStringList, arguments);
    for (const QByteArray& line : controlLines) {
        QVERIFY(!control(line).startsWith("error"));
    }
    const CProgramRun run =
        runCli(QStringList{"replace"} + arguments +
               QStringList{"--via", "127.0.0.31", "--from", path(QStringLiteral("second.xml"))});
    QTEST(run.exitCode, "exitCode");
    QFETCH(QByteArray, said);
    QVERIFY2(run.err.contains(said), run.err.constData());
}

// A gateway swapped for a new unit at the old address gets the old one's settings.
void TestCliSiteMemory::replacedGatewayGetsItsSettingsBack() {
    QCOMPARE(runCli({"set", "127.0.0.32", "NAME=Spare"}).exitCode, 0);
    QCOMPARE(runCli({"set", "127.0.0.32", "TELNET.TIMEOUT=60"}).exitCode, 0);
    const CProgramRun replaced = runCli(
        {"replace", "--gateway", "127.0.0.32", "--from", path(QStringLiteral("second.xml"))});
    QVERIFY2(replaced.exitCode == 0, replaced.err.constData());
    const CProgramRun query = runCli({"query", "127.0.0.32"});
    QVERIFY(query.out.contains("\nNAME=Ubrix 2\n"));
    QVERIFY(query.out.contains("\nTELNET.TIMEOUT=300\n"));
}

void TestCliSiteMemory::journalHoldsEveryChangeButNoSecret() {
    QCOMPARE(runCli({"set", "127.0.0.31", "TELNET.PASSWORD=hunter2"}).exitCode, 0);
    const CProgramRun run = CProgramRun::of(kCli, {"journal", "--json"});
    QCOMPARE(run.exitCode, 0);
    QStringList lines;
    for (const QByteArray& line : run.out.trimmed().split('\n')) {
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        QCOMPARE(entry.value(QStringLiteral("tool")).toString(), QStringLiteral("vorel-cli"));
        QVERIFY(entry.value(QStringLiteral("time")).toString().endsWith(QLatin1Char('Z')));
        lines << QStringList{entry.value(QStringLiteral("action")).toString(),
                             entry.value(QStringLiteral("gateway")).toString(),
                             entry.value(QStringLiteral("device")).toString(),
                             entry.value(QStringLiteral("command")).toString(),
                             entry.value(QStringLiteral("outcome")).toString()}
                     .join(QLatin1Char(' '));
    }
    for (const char* expected : {
             "set 127.0.0.31  &NAME=Hall; echoed",
             "set 127.0.0.31 UID 2 #UID2.A.LED.DISSOLVE=20; echoed",
             "replace 127.0.0.31 SN 100004 #SN100004.UID=2; echoed",
             "replace all UID 2 #UID2.A.LED.DISSOLVE=20 echoed",
             "replace all UID 2 #UID2.ALIAS=DEV100002 echoed",
             "replace 127.0.0.31 SN 424242 #SN424242.UID=1; silent",
             "replace 127.0.0.32  &NAME=Ubrix 2 echoed",
             "set 127.0.0.31  &TELNET.PASSWORD=(set); echoed",
         }) {
        QVERIFY2(lines.contains(QLatin1String(expected)), expected);
    }
    QVERIFY(!readFile(journalPath()).contains("hunter2"));
    QCOMPARE(CProgramRun::of(kCli, {"journal", "--since", "2999-01-01"}).out, QByteArray());
}

void TestCliSiteMemory::reportOfTheSite() {
    QCOMPARE(runCli({"set", "127.0.0.31", "NAME=<script>alert(1)</script>"}).exitCode, 0);
    const QString map = collect(QStringLiteral("fourth.xml"));
    const QString html = path(QStringLiteral("report.html"));
    CProgramRun run = CProgramRun::of(kCli, {"report", "--map", map, "--journal", journalPath(),
                                             "--title", "Hall & <Co>", "--out", html});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray text = readFile(html);
    QVERIFY(text.contains("<h1>Hall &amp; &lt;Co&gt;</h1>"));
    QVERIFY(text.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    QVERIFY(!text.contains("<script"));
    QVERIFY(!text.contains("hunter2"));
    QVERIFY(text.contains("<td>TELNET.PASSWORD</td><td>(set)</td>"));
    QVERIFY(text.contains("<td>#UID2.A.LED.DISSOLVE=20;</td>"));
    // UID 1 left the bus with the refusals above; every other device is in the report.
    for (int uid = 2; uid <= 6; ++uid) {
        const QByteArray heading = "<h3>UID " + QByteArray::number(uid) + " (";
        QVERIFY2(text.contains(heading), heading.constData());
    }
    QVERIFY(!text.contains(" src=") && !text.contains(" href="));

    run = CProgramRun::of(kCli, {"report", "--map", map, "--with-secrets", "--out", html});
    QVERIFY(readFile(html).contains("<td>TELNET.PASSWORD</td><td>hunter2</td>"));

    const QString pdf = path(QStringLiteral("report.pdf"));
    run = CProgramRun::of(kCli, {"report", "--map", map, "--out", pdf});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray document = readFile(pdf);
    QVERIFY(document.startsWith("%PDF-"));
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    QVERIFY(QString::fromLatin1(document).count(page) >= 2);
    QVERIFY(document.trimmed().endsWith("%%EOF"));
}

void TestCliSiteMemory::reportCutsLongTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("HTML") << QStringLiteral("long.html");
    QTest::newRow("PDF") << QStringLiteral("long.pdf");
}

// A map naming a gateway with ten million characters made an 830 MB PDF run: every text
// is cut with an ellipsis, and the report is as small as its site.
void TestCliSiteMemory::reportCutsLongTexts() {
    const QString map = path(QStringLiteral("long-name.xml"));
    if (!QFile::exists(map)) {
        QFile file(map);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Plan><Device_Configuration><UBRIX IP=\"10.0.0.2\"><NAME>");
        file.write(QByteArray(10'000'000, 'x'));
        file.write(
            "</NAME><TYPE>UBRIX_A</TYPE></UBRIX></Device_Configuration>"
            "<Network_Configuration/></Plan>");
    }
    QFETCH(QString, name);
    const QString out = path(name);
    const CProgramRun run = CProgramRun::of(kCli, {"report", "--map", map, "--out", out});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray written = readFile(out);
    QVERIFY2(written.size() < 100'000, QByteArray::number(written.size()).constData());
    if (name.endsWith(QLatin1String(".html"))) {
        const QByteArray ellipsis("\xe2\x80\xa6");
        QVERIFY(written.contains("<td>" + QByteArray(119, 'x') + ellipsis + "</td>"));
        QVERIFY(written.contains("<h3>IP 10.0.0.2 " + QByteArray(107, 'x') + ellipsis + "</h3>"));
        QVERIFY(!written.contains(QByteArray(120, 'x')));
    }
}

QTEST_GUILESS_MAIN(TestCliSiteMemory)
#include "TestCliSiteMemory.moc"
