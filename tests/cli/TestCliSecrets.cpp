#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include "sim/CSimNetwork.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));

// The credentials of the site: the simulated gateways' telnet password, Wi-Fi passphrase
// and Lutron password, the one set below and the one the project holds.
const QByteArray kFactoryPassword("ubrix");
const QByteArray kPassphrase("ubrix-setup");
const QByteArray kLutronPassword("integration");
const QByteArray kSetPassword("TopSecret11");
const QByteArray kProjectPassword("NewSecret22");
const QByteArray kLowerCasePassword("LowerCase11");
const QByteArray kTooLong(40, 'S');
const QByteArray kProjectQuestion("bad?pw");

const QList<QByteArray> kEverySecret{kFactoryPassword, kPassphrase,      kLutronPassword,
                                     kSetPassword,     kProjectPassword, kLowerCasePassword,
                                     kTooLong,         kProjectQuestion};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray project(const QByteArray& password) {
    return "<Plan><Device_Configuration><UBRIX IP=\"127.0.0.2\"><TYPE>UBRIX_A</TYPE><TELNET>"
           "<PASSWORD>" +
           password +
           "</PASSWORD></TELNET></UBRIX></Device_Configuration><Network_Configuration/></Plan>";
}

}  // namespace

// One rule for credentials, over every output a user keeps or shares: vorel-cli against a
// simulated site in this process (gateways 127.0.0.2 UBRIX_A, .3 UBRIX_B with Wi-Fi, .4
// UBRIX_C with a Lutron link). A value the schema marks secret shows as "(set)" or
// "(empty)" unless --with-secrets. The rows run in order, each on the site the one before
// left.
class TestCliSecrets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void outputs_data();
    void outputs();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    CProgramRun runCli(QStringList arguments) const;

    std::unique_ptr<CSimNetwork> m_site;
    QTemporaryDir m_dir;
};

CProgramRun TestCliSecrets::runCli(QStringList arguments) const {
    const QString journal =
        QDir(CProgramRun::dataHome()).filePath(QStringLiteral("Quenlow/Ubrix Vorel/journal.jsonl"));
    for (QString& argument : arguments) {
        argument.replace(QStringLiteral("DIR/"), m_dir.path() + QLatin1Char('/'));
        argument.replace(QStringLiteral("JOURNAL"), journal);
    }
    return CProgramRun::of(kCli, arguments + QStringList{"--loopback", "--wait-ms", "1000"}, 60000);
}

void TestCliSecrets::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    QString error;
    m_site = CSimNetwork::startDemo(3, 0, testsupport::runtimePath(QString()), error);
    QVERIFY2(m_site != nullptr, qPrintable(error));
    QCOMPARE(runCli({"collect", "--map", "DIR/before.xml"}).exitCode, 0);
    QCOMPARE(runCli({"set", "127.0.0.2", "TELNET.PASSWORD=" + kSetPassword}).exitCode, 0);
    QCOMPARE(runCli({"collect", "--map", "DIR/after.xml"}).exitCode, 0);
    QVERIFY(writeFile(path(QStringLiteral("project.xml")), project(kProjectPassword)));
    QVERIFY(writeFile(path(QStringLiteral("check.xml")), project(kProjectQuestion)));
}

void TestCliSecrets::outputs_data() {
    QTest::addColumn<QStringList>("arguments");  // DIR/ is the test's folder
    QTest::addColumn<QString>("written");        // the file it writes; none: stdout and stderr
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<QByteArray>>("shown");
    QTest::addColumn<QList<QByteArray>>("hidden");  // besides every credential of the site

    const QString none;
    const QString password = "TELNET.PASSWORD=" + kSetPassword;
    QTest::newRow("set: its confirmation")
        << QStringList{"set", "127.0.0.2", password} << none << 0
        << QList<QByteArray>{"TELNET.PASSWORD=(set)\n"} << QList<QByteArray>();
    QTest::newRow("set: a value typed in lower case")
        << QStringList{"set", "127.0.0.2", "telnet.password=" + kLowerCasePassword} << none << 3
        << QList<QByteArray>{"did not answer"} << QList<QByteArray>();
    QTest::newRow("set: refused by its type")
        << QStringList{"set", "127.0.0.2", "TELNET.PASSWORD=" + kTooLong} << none << 8
        << QList<QByteArray>{"TELNET.PASSWORD: (set) is not a text (at most 32 characters"}
        << QList<QByteArray>();
    QTest::newRow("set --with-secrets")
        << QStringList{"set", "127.0.0.2", password, "--with-secrets"} << none << 0
        << QList<QByteArray>{password.toLatin1() + '\n'} << QList<QByteArray>{kTooLong};

    QTest::newRow("query") << QStringList{"query", "127.0.0.2"} << none << 0
                           << QList<QByteArray>{"\nTELNET.PASSWORD=(set)\n"} << QList<QByteArray>();
    QTest::newRow("query --json, Wi-Fi")
        << QStringList{"query", "127.0.0.3", "--json"} << none << 0
        << QList<QByteArray>{"\"TELNET.PASSWORD\":\"(set)\"", "\"WIFI.PASSPHRASE\":\"(set)\""}
        << QList<QByteArray>();
    QTest::newRow("query --json, Lutron")
        << QStringList{"query", "127.0.0.4", "--json"} << none << 0
        << QList<QByteArray>{"\"LUTRON.PASSWORD\":\"(set)\"", "\"LUTRON.LOGIN_NAME\":\"lutron\""}
        << QList<QByteArray>();
    QTest::newRow("query --json --with-secrets")
        << QStringList{"query", "127.0.0.2", "--json", "--with-secrets"} << none << 0
        << QList<QByteArray>{"\"TELNET.PASSWORD\":\"" + kSetPassword + '"'}
        << QList<QByteArray>{kFactoryPassword};

    const QStringList compare{"compare", "DIR/before.xml", "DIR/after.xml"};
    QTest::newRow("compare") << compare << none << 9
                             << QList<QByteArray>{"IP 127.0.0.2: TELNET.PASSWORD: (set) -> (set)\n"}
                             << QList<QByteArray>();
    QTest::newRow("compare --json")
        << compare + QStringList{"--json"} << none << 9
        << QList<QByteArray>{"\"new\":\"(set)\",\"old\":\"(set)\",\"place\":\"TELNET.PASSWORD\""}
        << QList<QByteArray>();
    QTest::newRow("compare --with-secrets")
        << compare + QStringList{"--with-secrets"} << none << 9
        << QList<QByteArray>{"TELNET.PASSWORD: ubrix -> " + kSetPassword}
        << QList<QByteArray>{kPassphrase};

    const QStringList report{"report", "--map", "DIR/after.xml", "--out", "DIR/report.html"};
    const QString html = QStringLiteral("report.html");
    QTest::newRow("report") << report << html << 0
                            << QList<QByteArray>{"<td>TELNET.PASSWORD</td><td>(set)</td>",
                                                 "<td>WIFI.PASSPHRASE</td><td>(set)</td>",
                                                 "<td>LUTRON.PASSWORD</td><td>(set)</td>"}
                            << QList<QByteArray>();
    QTest::newRow("report of the journal")
        << report + QStringList{"--journal", "JOURNAL"} << html << 0
        << QList<QByteArray>{"<td>&amp;TELNET.PASSWORD=(set);</td>",
                             "<td>&amp;telnet.password=(set);</td>"}
        << QList<QByteArray>();
    QTest::newRow("report --with-secrets")
        << report + QStringList{"--with-secrets"} << html << 0
        << QList<QByteArray>{"<td>TELNET.PASSWORD</td><td>" + kSetPassword + "</td>",
                             "<td>WIFI.PASSPHRASE</td><td>" + kPassphrase + "</td>"}
        << QList<QByteArray>();

    QTest::newRow("journal") << QStringList{"journal"} << none << 0
                             << QList<QByteArray>{"\t&TELNET.PASSWORD=(set);\t",
                                                  "\t&telnet.password=(set);\t"}
                             << QList<QByteArray>();
    QTest::newRow("journal --json")
        << QStringList{"journal", "--json"} << none << 0
        << QList<QByteArray>{"\"command\":\"&TELNET.PASSWORD=(set);\""} << QList<QByteArray>();

    const QStringList diff{"diff", "--project", "DIR/project.xml", "--map", "DIR/after.xml"};
    QTest::newRow("diff") << diff << none << 0
                          << QList<QByteArray>{"  TELNET.PASSWORD = (set) (device: (set)): to "
                                               "send  &TELNET.PASSWORD=(set)\n"}
                          << QList<QByteArray>();
    QTest::newRow("diff --json") << diff + QStringList{"--json"} << none << 0
                                 << QList<QByteArray>{"\"command\":\"&TELNET.PASSWORD=(set)\"",
                                                      "\"reported\":\"(set)\"",
                                                      "\"value\":\"(set)\""}
                                 << QList<QByteArray>();
    QTest::newRow("diff --with-secrets")
        << diff + QStringList{"--with-secrets"} << none << 0
        << QList<QByteArray>{"TELNET.PASSWORD = " + kProjectPassword + " (device: " + kSetPassword +
                             ')'}
        << QList<QByteArray>();

    QTest::newRow("project show") << QStringList{"project", "show", "DIR/project.xml"} << none << 0
                                  << QList<QByteArray>{"gateway\t127.0.0.2\tUBRIX_A\n"}
                                  << QList<QByteArray>();
    QTest::newRow("project check")
        << QStringList{"project", "check", "DIR/check.xml"} << none << 9
        << QList<QByteArray>{"127.0.0.2 TELNET.PASSWORD=(set): The value may not contain"}
        << QList<QByteArray>();
    QTest::newRow("project set: refused by its type")
        << QStringList{"project", "set", "DIR/project.xml", "127.0.0.2",
                       "TELNET.PASSWORD=" + kTooLong}
        << none << 8 << QList<QByteArray>{"TELNET.PASSWORD: (set) is not a text"}
        << QList<QByteArray>();

    QTest::newRow("upload --dry-run")
        << QStringList{"upload", "--project", "DIR/project.xml", "--gateways", "--dry-run"}
        << none << 0
        << QList<QByteArray>{"  TELNET.PASSWORD = (set) (device: (set)): to send  "
                             "&TELNET.PASSWORD=(set)\n"}
        << QList<QByteArray>();
    QTest::newRow("replace --dry-run")
        << QStringList{"replace", "--gateway", "127.0.0.2", "--from", "DIR/before.xml", "--dry-run"}
        << none << 0 << QList<QByteArray>{"  TELNET.PASSWORD = (set) (device: (set)): to send"}
        << QList<QByteArray>();
    QTest::newRow("replace")
        << QStringList{"replace", "--gateway", "127.0.0.2", "--from", "DIR/before.xml"} << none << 0
        << QList<QByteArray>{"  TELNET.PASSWORD = (set) (device: (set)): sent, confirmed"}
        << QList<QByteArray>();
    QTest::newRow("upload")
        << QStringList{"upload", "--project", "DIR/project.xml", "--gateways"} << none << 0
        << QList<QByteArray>{"  TELNET.PASSWORD = (set) (device: (set)): sent, confirmed",
                             "Upload complete."}
        << QList<QByteArray>();
}

void TestCliSecrets::outputs() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, written);
    QFETCH(QList<QByteArray>, shown);
    QFETCH(QList<QByteArray>, hidden);

    const CProgramRun run = runCli(arguments);
    QTEST(run.exitCode, "exitCode");
    const QByteArray output = written.isEmpty() ? run.out + run.err : readFile(path(written));
    for (const QByteArray& fragment : shown) {
        QVERIFY2(output.contains(fragment), output.constData());
    }
    const bool withSecrets = arguments.contains(QStringLiteral("--with-secrets"));
    for (const QByteArray& secret : withSecrets ? hidden : kEverySecret + hidden) {
        QVERIFY2(!output.contains(secret), secret.constData());
    }
}

QTEST_GUILESS_MAIN(TestCliSecrets)
#include "TestCliSecrets.moc"
