#include "sim/CSimNetwork.h"
#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include <QTest>
#include <memory>

namespace {

const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kSendPort = 5311;
constexpr int kReceivePort = 4311;

CProgramRun runCli(QStringList arguments) {
    arguments << QStringLiteral("--loopback") << QStringLiteral("--send-port")
              << QString::number(kSendPort) << QStringLiteral("--recv-port")
              << QString::number(kReceivePort) << QStringLiteral("--no-time")
              << QStringLiteral("--wait-ms") << QStringLiteral("1500");
    return CProgramRun::of(kCli, arguments, 60000);
}

}  // namespace

// vorel-cli keypad against a simulated site: the keypads' exact texts go out, and the
// status lines the site reports are printed.
class TestCliKeypad : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void drives_data();
    void drives();

private:
    std::unique_ptr<CSimNetwork> m_site;
};

void TestCliKeypad::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    CSimNetwork::Options options;
    options.sendPort = kSendPort;
    options.replyPort = kReceivePort;
    QString error;
    // One gateway at 127.0.0.2: LED channels at 2.1.1 and up, motors at 1.1.1 and 1.1.2.
    m_site = CSimNetwork::startDemo(1, 5, testsupport::runtimePath(QString()), error, options);
    QVERIFY2(m_site != nullptr, qPrintable(error));
}

void TestCliKeypad::cleanupTestCase() {
    m_site.reset();
}

void TestCliKeypad::drives_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("sent");     // what the gateway heard
    QTest::addColumn<QByteArray>("printed");  // a line stdout holds
    QTest::newRow("set") << QStringList{"keypad", "2.1.1", "set", "120"} << 0
                         << QByteArray("#2.1.1.LED=SET,120\r")
                         << QByteArray(" (127.0.0.2) !2.1.1.LED.COLOR=0.0.120\n");
    QTest::newRow("recall") << QStringList{"keypad", "2.1.1", "recall", "3"} << 0
                            << QByteArray("#2.1.1.LED=RECALL,3\r\n")
                            << QByteArray(" (127.0.0.2) !2.1.1.LED.VALUE=");
    QTest::newRow("motor") << QStringList{"keypad", "motor", "1.1.2",    "goto",
                                          "37.5",   "--to",  "127.0.0.2"}
                           << 0 << QByteArray("#1.1.2.MOTOR=GOTO,37.50\r")
                           << QByteArray(" (127.0.0.2) !1.1.2.MOTOR.POSITION=37.50\n");
    QTest::newRow("sun") << QStringList{"keypad", "sun", "2.1.1", "41"} << 0
                         << QByteArray("#2.1.1.LED.VALUE=52.32.120")
                         << QByteArray(" (127.0.0.2) !2.1.1.LED.VALUE=52.32.120.0\n");
    QTest::newRow("nobody at that address") << QStringList{"keypad", "9.9.9", "on"} << 3
                                            << QByteArray("#9.9.9.LED=ON\r") << QByteArray();
    QTest::newRow("refused") << QStringList{"keypad", "2.1.300", "on"} << 2 << QByteArray()
                             << QByteArray();
}

void TestCliKeypad::drives() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, printed);
    m_site->journal().clear();

    const CProgramRun run = runCli(arguments);

    QTEST(run.exitCode, "exitCode");
    QVERIFY2(run.out.contains(printed), run.out.constData());
    const QList<CSimCommandJournal::Entry> heard = m_site->journal().entries();
    QCOMPARE(heard.isEmpty() ? QByteArray() : heard.constLast().text, sent);
    if (run.exitCode == 2) {
        QVERIFY(run.err.contains("no keypad address"));
    }
    if (run.exitCode == 3) {
        QVERIFY2(run.err.contains("no status came back for #9.9.9.LED=ON"), run.err.constData());
    }
}

QTEST_GUILESS_MAIN(TestCliKeypad)
#include "TestCliKeypad.moc"
