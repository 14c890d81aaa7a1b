#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/TestSupport.h"

#include "core/transport/CIpv4Address.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kSendPort = 5101;
constexpr int kReceivePort = 4101;
const QByteArray kGatewayAddress = "127.0.0.21";
// Not UTF-8: a gateway named in Latin-1.
const QByteArray kNameReply = "!NAME=Caf\xe9;\r\n";

// A gateway on loopback that answers as a real one does, with a Latin-1 name and a bus of
// two devices, one of which (UID 6) never answers.
class CFakeGateway {
public:
    bool start() {
        return m_commands.bind(0, kSendPort) &&
               m_replies.bind(CIpv4Address::fromDotted(kGatewayAddress), 0);
    }

    void serve(int waitMs) {
        static const QHash<QByteArray, QList<QByteArray>> kAnswers{
            {"&NAME=?;", {kNameReply}},
            {"&=?;", {kNameReply, "!TYPE=FAKE;\r\n", "!A.MODE=ON;\r\n"}},
            {"#UID=REGISTER;", {"+UID5;\r\n", "+UID6;\r\n"}},
            {"#UID5=?;", {"!UID5.TYPE=LUMET;\r\n"}},
        };
        while (const auto command = m_commands.receive(waitMs)) {
            for (const QByteArray& answer : kAnswers.value(command->bytes)) {
                m_replies.send(answer, command->sender, kReceivePort);
            }
            waitMs = 0;
        }
    }

    // Traffic nobody asked for, as a monitor sees it.
    void chatter() {
        const quint32 tool = CIpv4Address::fromDotted("127.0.0.1");
        m_replies.send(kNameReply, tool, kReceivePort);
        m_replies.send("!B.MODE=OFF;\r\n", tool, kReceivePort);
    }

private:
    CUdpPeer m_commands;
    CUdpPeer m_replies;
};

}  // namespace

// vorel-cli as a script uses it: exit codes that tell what happened, JSON that keeps a
// device's bytes, the monitor's filter, and an interrupted collect that says its map is
// partial. Each run talks to a fake gateway on loopback.
class TestCliScripting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();

private:
    QTemporaryDir m_dir;
    std::optional<CFakeGateway> m_gateway;
};

void TestCliScripting::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    // Made only now, so that its sockets are in the test's own namespace.
    m_gateway.emplace();
    QVERIFY(m_gateway->start());
}

void TestCliScripting::run_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // a pattern for all of stdout, read as Latin-1
    QTest::addColumn<QString>("err");  // a text stderr holds
    const QString json = QStringLiteral("Caf\u00c3\u00a9");  // UTF-8 of é, read as Latin-1
    const QString plain = QStringLiteral("Caf\u00e9");       // the device's own byte
    auto exactly = [](const QString& text) { return QRegularExpression::escape(text); };

    QTest::newRow("discover") << QStringList{"discover"} << 0
                              << exactly("127.0.0.21\t" + plain + "\n") << QString();
    QTest::newRow("discover --json")
        << QStringList{"discover", "--json"} << 0
        << exactly(R"({"gateways":[{"ip":"127.0.0.21","name":")" + json + "\"}]}\n") << QString();
    QTest::newRow("query --json")
        << QStringList{"query", "127.0.0.21", "--json"} << 0
        << exactly(R"({"gateway":"127.0.0.21","settings":{"A.MODE":"ON","NAME":")" + json +
                   R"(","TYPE":"FAKE"}})" + "\n")
        << QString();
    QTest::newRow("query of a silent gateway")
        << QStringList{"query", "127.0.0.99"} << 3 << QString() << QString();
    QTest::newRow("send to one gateway")
        << QStringList{"send", "&NAME=?;", "--to", "127.0.0.21", "--no-time"} << 0
        << exactly(" (127.0.0.21) !NAME=" + plain + ";\n") << QString();
    QTest::newRow("send that nothing answers")
        << QStringList{"send", "&SILENCE;"} << 3 << QString() << QString();
    QTest::newRow("collect with a silent device")
        << QStringList{"collect", "--map", "site.xml", "--json"} << 6
        << exactly(
               R"({"devices":2,"gateways":1,"incomplete":[],"map":"site.xml",)"
               R"("partial":false,"repeats":2,"rollCall":0,"silent":[{"gateway":"127.0.0.21","uid":6}]})"
               "\n")
        << "vorel-cli: UID 6 behind 127.0.0.21 did not answer";
    QTest::newRow("collect interrupted")
        << QStringList{"collect", "--map", "partial.xml", "--pace-ms", "5000"} << 130 << QString()
        << "collecting was interrupted: the map in partial.xml is partial";
    QTest::newRow("monitor --filter --json")
        << QStringList{"monitor", "--duration", "1", "--filter", "cAf", "--json"} << 0
        << R"((\{"sender":"127\.0\.0\.21","text":"!NAME=)" + json +
               R"(;","time":"\d\d:\d\d:\d\d"\}\n)+)"
        << QString();
    QTest::newRow("unknown adapter") << QStringList{"discover", "--adapter", "nosuch0"} << 2
                                     << QString() << "no adapter nosuch0";
}

void TestCliScripting::run() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, err);
    const bool loopback = !arguments.contains(QStringLiteral("--adapter"));
    const bool interrupt = QByteArray(QTest::currentDataTag()) == "collect interrupted";
    arguments << QStringLiteral("--send-port") << QString::number(kSendPort)
              << QStringLiteral("--recv-port") << QString::number(kReceivePort);
    if (loopback) {
        arguments << QStringLiteral("--loopback");
    }
    QProcess cli;
    cli.setWorkingDirectory(m_dir.path());
    cli.start(kCli, arguments);
    QVERIFY(cli.waitForStarted());
    QByteArray printed;
    QByteArray errors;
    for (int turn = 0; turn < 3000 && !cli.waitForFinished(10); ++turn) {
        m_gateway->serve(10);
        if (arguments.contains(QStringLiteral("monitor")) && turn % 10 == 0) {
            m_gateway->chatter();
        }
        printed += cli.readAllStandardOutput();
        errors += cli.readAllStandardError();
        if (interrupt && errors.contains("gateway(s) found") && cli.state() == QProcess::Running) {
            cli.terminate();
        }
    }
    printed += cli.readAllStandardOutput();
    errors += cli.readAllStandardError();
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(QString::fromLatin1(errors).contains(err), errors.constData());
    QTEST(cli.exitCode(), "exitCode");
    QFETCH(QString, out);
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out))
                 .match(QString::fromLatin1(printed))
                 .hasMatch(),
             printed.constData());
    if (interrupt) {
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("partial.xml"))));
    }
}

QTEST_GUILESS_MAIN(TestCliScripting)
#include "TestCliScripting.moc"
