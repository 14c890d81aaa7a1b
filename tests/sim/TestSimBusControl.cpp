#include "SimTestSupport.h"
#include "sim/CSimControl.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"

#include <QTest>

namespace {

constexpr qint64 kNow = 1000;
constexpr quint32 kProgram = 0x0100000Au;

// Two small buses: 10.0.0.2 and 10.0.0.3, each with a lamp, a drive and an unaddressed lamp.
CSimSite twoBuses() {
    CSimSiteConfig config;
    config.addresses = {simtest::ip("10.0.0.2"), simtest::ip("10.0.0.3")};
    config.devicesPerGateway = 3;
    config.deviceTypes = {"LAMP_A", "DRIVE_A"};
    config.unaddressedPerGateway = 1;
    QString error;
    auto site = CSimSiteBuilder::build(simtest::smallModels(), config, error);
    if (!site) {
        qFatal("site: %s", qPrintable(error));
    }
    return std::move(*site);
}

}  // namespace

// What the bus commissioning needs of the simulator: a UID armed on every bus is handed
// out once, and the control lines show identify counts and a device's settings.
class TestSimBusControl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void takenUidDisarmsEveryBus();
    void controlLines_data();
    void controlLines();
    void removeAndAdd_data();
    void removeAndAdd();
};

// The test's sockets bind the program's fixed ports: a namespace of its own keeps them from
// meeting those of the test programs running beside it.
void TestSimBusControl::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestSimBusControl::takenUidDisarmsEveryBus() {
    CSimSite site = twoBuses();
    // "#UID=7;" broadcast arms both buses; "#UID=8;" then arms the second one alone.
    for (int gateway : {0, 1}) {
        site.receive(gateway, "#UID=7;", kProgram, kNow);
    }
    QVERIFY(site.pressDiscoverButton(0, 100003, kNow));
    QCOMPARE(site.gateways()[0].deviceBySerial(100003)->uid(), std::optional<quint32>(7));
    QVERIFY(!site.gateways()[1].armedUid());
    // A later press on the other bus announces the device as it is: no second UID 7.
    QVERIFY(site.pressDiscoverButton(1, 101003, kNow));
    QVERIFY(!site.gateways()[1].deviceBySerial(101003)->uid());

    site.receive(1, "#UID=8;", kProgram, kNow);
    site.receive(0, "#UID=9;", kProgram, kNow);
    QVERIFY(site.pressDiscoverButton(1, 101003, kNow));
    // Another UID armed elsewhere stays armed.
    QCOMPARE(site.gateways()[0].armedUid(), std::optional<quint32>(9));
}

void TestSimBusControl::controlLines_data() {
    QTest::addColumn<QList<QByteArray>>("commands");  // to gateway 1 first
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("list with identify counts")
        << QList<QByteArray>{"&=IDENTIFY", "#UID1=IDENTIFY;", "#UID1=IDENTIFY;",
                             "#SN100003=IDENTIFY;", "&VERSION_HW=RESET;"}
        << QByteArray("list")
        << QByteArray(
               "gateway 1 10.0.0.2 GATE_A Ubrix 1; identified 1; restarts 1\n"
               "  SN 100001 UID 1 LAMP_A; identified 2\n"
               "  SN 100002 UID 2 DRIVE_A\n"
               "  SN 100003 no UID LAMP_A; identified 1\n"
               "gateway 2 10.0.0.3 GATE_A Ubrix 2; restarts 0\n"
               "  SN 101001 UID 4 DRIVE_A\n"
               "  SN 101002 UID 5 LAMP_A\n"
               "  SN 101003 no UID DRIVE_A\n");
    QTest::newRow("a device's settings after a set")
        << QList<QByteArray>{"#UID2.A.MOTOR.MODE=BACK;"} << QByteArray("show 1 2")
        << QByteArray(
               "TYPE=DRIVE_A\nSN=100002\nA.MOTOR.MODE=BACK\nA.MOTOR.PRESET.1=0\nA.MOTOR.PRESET.2="
               "50\n"
               "B.MOTOR.MODE=BACK\nB.MOTOR.PRESET.1=25\n");
    QTest::newRow("by serial number, by address")
        << QList<QByteArray>{} << QByteArray("show 10.0.0.3 sn 101003")
        << QByteArray(
               "TYPE=DRIVE_A\nSN=101003\nA.MOTOR.MODE=FRONT\nA.MOTOR.PRESET.1=0\n"
               "A.MOTOR.PRESET.2=50\nB.MOTOR.MODE=BACK\nB.MOTOR.PRESET.1=25\n");
    QTest::newRow("no such device") << QList<QByteArray>{} << QByteArray("show 1 9")
                                    << QByteArray("error: no device with UID 9 on gateway 1\n");
    QTest::newRow("no such gateway")
        << QList<QByteArray>{} << QByteArray("show 3 1") << QByteArray("error: no gateway 3\n");
    QTest::newRow("wrong form") << QList<QByteArray>{} << QByteArray("show 1 uid")
                                << QByteArray("error: no device with UID uid on gateway 1\n");
}

void TestSimBusControl::controlLines() {
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, line);

    CSimNetwork network(twoBuses(), CSimNetwork::Options());
    network.withSite([&commands](CSimSite& site) {
        for (const QByteArray& command : commands) {
            site.receive(0, command, kProgram, kNow);
        }
        return 0;
    });
    QTEST(CSimControl::execute(network, line).answer, "answer");
}

void TestSimBusControl::removeAndAdd_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QByteArray>("firstBus");  // the list's lines of gateway 1 afterwards

    const QByteArray untouched =
        "  SN 100001 UID 1 LAMP_A\n  SN 100002 UID 2 DRIVE_A\n"
        "  SN 100003 no UID LAMP_A\n";
    QTest::newRow("a device fails, a new one comes")
        << QList<QByteArray>{"remove 1 2", "add 10.0.0.2 DRIVE_A", "add 1 LAMP_A sn 555"}
        << QByteArray("removed UID 2\nadded SN 100004\nadded SN 555\n")
        << QByteArray(
               "  SN 100001 UID 1 LAMP_A\n  SN 100003 no UID LAMP_A\n"
               "  SN 100004 no UID DRIVE_A\n  SN 555 no UID LAMP_A\n");
    QTest::newRow("a serial number is never given twice")
        << QList<QByteArray>{"remove 1 1", "add 1 LAMP_A sn 100001", "add 1 LAMP_A sn 101001"}
        << QByteArray(
               "removed UID 1\nerror: serial number 100001 is taken\n"
               "error: serial number 101001 is taken\n")
        << QByteArray("  SN 100002 UID 2 DRIVE_A\n  SN 100003 no UID LAMP_A\n");
    QTest::newRow("mistakes change nothing")
        << QList<QByteArray>{"remove 1 5", "remove 1",        "remove 3 1",        "add 1 GATE_A",
                             "add 1 ROCK", "add 1 LAMP_A sn", "add 1 LAMP_A sn x", "add 1"}
        << QByteArray(
               "error: no device with UID 5 on gateway 1\n"
               "error: remove <gateway> <uid>\nerror: no gateway 3\n"
               "error: unknown bus device type GATE_A\n"
               "error: unknown bus device type ROCK\n"
               "error: add <gateway> <type> [sn <serial>]\n"
               "error: no serial number x\nerror: add <gateway> <type> [sn <serial>]\n")
        << untouched;
}

// A device removed never answers again; one added answers its registration without UID.
void TestSimBusControl::removeAndAdd() {
    QFETCH(QList<QByteArray>, lines);
    CSimNetwork network(twoBuses(), CSimNetwork::Options());
    QByteArray answers;
    for (const QByteArray& line : lines) {
        answers += CSimControl::execute(network, line).answer;
    }
    QTEST(answers, "answers");
    const QByteArray list = CSimControl::execute(network, "list").answer;
    const qsizetype first = list.indexOf('\n') + 1;
    QTEST(list.mid(first, list.indexOf("gateway 2") - first), "firstBus");

    const QList<QByteArray> announced = network.withSite([](CSimSite& site) {
        site.receive(0, "#UID=REGISTER;", kProgram, kNow);
        site.receive(0, "#UID2=?;", kProgram, kNow);
        QList<QByteArray> replies;
        for (const CSimOutgoing& reply : site.takeDue(kNow + 60000)) {
            replies << reply.bytes.trimmed();
        }
        return replies;
    });
    QCOMPARE(announced.count(QByteArray("+SN100004;")), list.contains("SN 100004") ? 1 : 0);
    QCOMPARE(announced.contains("+UID2;"), list.contains("UID 2 DRIVE_A"));
}

QTEST_GUILESS_MAIN(TestSimBusControl)
#include "TestSimBusControl.moc"
