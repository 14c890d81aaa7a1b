#include "SimTestSupport.h"

#include <QTest>

using Replies = QList<QByteArray>;

namespace {

const quint32 kAsker = simtest::ip("10.0.0.1");
const quint32 kOtherAsker = simtest::ip("10.0.0.77");
constexpr qint64 kStart = 1'000'000;

const Replies kGatewayReport = {
    "!TYPE=GATE_A;\r\n",           "!NAME=Ubrix 1;\r\n",
    "!NETWORK.DHCP=ENABLE;\r\n",   "!NETWORK.STATIC_IP=10.0.0.2;\r\n",
    "!TELNET.LOGIN.1=ENABLE;\r\n", "!TELNET.LOGIN.2=DISABLE;\r\n",
    "!A.SERIAL.TYPE=KVBUS;\r\n",   "!C.SERIAL.BAUD=9600;\r\n",
};

const Replies kLampReport = {
    "!UID1.TYPE=LAMP_A;\r\n",
    "!UID1.ALIAS=DEV100001;\r\n",
    "!UID1.SN=100001;\r\n",
    "!UID1.LED.DISSOLVE=10;\r\n",
    "!UID1.LED.PRESET.1=255.255.255;\r\n",
    "!UID1.LED.PRESET.2=255.255.255;\r\n",
    "!UID1.LED.PRESET.3=255.255.255;\r\n",
    "!UID1.LED.PRESET.4=255.255.255;\r\n",
    "!UID1.LED.LEVEL=0;\r\n",
};

const Replies kDriveReport = {
    "!UID2.TYPE=DRIVE_A;\r\n",        "!UID2.SN=100002;\r\n",
    "!UID2.A.MOTOR.MODE=FRONT;\r\n",  "!UID2.A.MOTOR.PRESET.1=0;\r\n",
    "!UID2.A.MOTOR.PRESET.2=50;\r\n", "!UID2.B.MOTOR.MODE=BACK;\r\n",
    "!UID2.B.MOTOR.PRESET.1=25;\r\n",
};

// What the site sends for one command, all of it due at once; every reply must come from
// the gateway and go to the asker.
Replies ask(CSimSite& site, const QByteArray& command, qint64 now = kStart,
            quint32 asker = kAsker) {
    site.receive(0, command, asker, now);
    Replies replies;
    for (const CSimOutgoing& outgoing : site.takeDue(now)) {
        if (outgoing.to != asker || outgoing.gateway != 0) {
            qWarning("reply to the wrong host or from the wrong gateway: %s",
                     outgoing.bytes.constData());
            return {"(misdirected)"};
        }
        replies.append(outgoing.bytes);
    }
    return replies;
}

Replies texts(const QList<CSimOutgoing>& outgoing) {
    Replies replies;
    for (const CSimOutgoing& one : outgoing) {
        replies.append(one.bytes);
    }
    return replies;
}

}  // namespace

// The small site's answers, byte for byte, its registration and addressing flows, the
// restart silence and the faults.
class TestSimSite : public QObject {
    Q_OBJECT

private slots:
    void answersEachFamily_data();
    void answersEachFamily();
    void answersFromTheGatewayToEachAsker();
    void armedGatewayGivesThePressedDeviceItsUid();
    void pressWithoutArmAnnouncesTheDevice();
    void pressBeforeAnyoneAskedSendsNothing();
    void pressOfAnUnknownDeviceIsRefused();
    void readdressedDeviceAnswersUnderItsNewUid();
    void identifyIsRecorded();
    void restartKeepsTheGatewaySilentForAWhile();
    void restartForgetsRepliesNotYetSent();
    void restartDisarmsTheBus();
    void dropsASeededShareOfReplies();
    void dropsEveryReplyAtShareOne();
    void delaysEveryReply();
    void malformsEachWay_data();
    void malformsEachWay();
    void malformedOptionSpoilsEveryReply();
    void wrongTypeIsReportedEverywhereTypeIsReported();
    void faultsStillAnswerOnlyTheAsker();
    void latencyTimesEachReply_data();
    void latencyTimesEachReply();
    void jitterIsSeededAndBounded();
    void deviceFaultsTouchOnlyTheirDevice_data();
    void deviceFaultsTouchOnlyTheirDevice();
    void networkSettingsTakeEffectWhenSet();
};

void TestSimSite::answersEachFamily_data() {
    QTest::addColumn<Replies>("commands");
    QTest::addColumn<Replies>("expected");
    auto row = [](const char* name, const Replies& commands, const Replies& expected) {
        QTest::newRow(name) << commands << expected;
    };
    const Replies silence;
    // Gateway
    row("name query", {"&NAME=?;"}, {"!NAME=Ubrix 1;\r\n"});
    row("full query: ports and indexes included", {"&=?;"}, kGatewayReport);
    row("query of an indexed setting", {"&TELNET.LOGIN=?;"},
        {"!TELNET.LOGIN.1=ENABLE;\r\n", "!TELNET.LOGIN.2=DISABLE;\r\n"});
    row("query of one index", {"&TELNET.LOGIN.2=?;"}, {"!TELNET.LOGIN.2=DISABLE;\r\n"});
    row("query of a port's setting", {"&A.SERIAL.TYPE=?;"}, {"!A.SERIAL.TYPE=KVBUS;\r\n"});
    row("query of an unknown setting", {"&FOO=?;"}, silence);
    row("set echoes the new value", {"&NETWORK.DHCP=DISABLE;"}, {"!NETWORK.DHCP=DISABLE;\r\n"});
    row("set is kept", {"&NETWORK.DHCP=DISABLE", "&NETWORK.DHCP=?;"},
        {"!NETWORK.DHCP=DISABLE;\r\n"});
    row("set of the name", {"&NAME=Hall;", "&NAME=?;"}, {"!NAME=Hall;\r\n"});
    row("set of a port-bound setting", {"&C.SERIAL.BAUD=19200;"}, {"!C.SERIAL.BAUD=19200;\r\n"});
    row("set of a new index", {"&TELNET.LOGIN.3=ENABLE;"}, {"!TELNET.LOGIN.3=ENABLE;\r\n"});
    row("set outside the options", {"&NETWORK.DHCP=MAYBE;"}, silence);
    row("options compared with case", {"&NETWORK.DHCP=enable;"}, silence);
    row("set of a read-only setting", {"&TYPE=GATE_B;"}, silence);
    row("index on a setting that has none", {"&NAME.2=X;"}, silence);
    row("setting bound to another port", {"&A.SERIAL.BAUD=19200;"}, silence);
    row("set of an unknown setting", {"&NETWORK.GATEWAY=1;"}, silence);
    row("restart", {"&VERSION_HW=RESET;"}, silence);
    row("identify", {"&=IDENTIFY"}, silence);
    // Bus
    row("registration", {"#UID=REGISTER;"}, {"+UID1;\r\n", "+UID2;\r\n", "+SN100003;\r\n"});
    row("arm", {"#UID=7;"}, silence);
    row("device full query", {"#UID1=?;"}, kLampReport);
    row("device full query in lower case", {"#uid2=?;"}, kDriveReport);
    row("device query of one port's setting", {"#UID2.A.MOTOR.PRESET=?;"},
        {"!UID2.A.MOTOR.PRESET.1=0;\r\n", "!UID2.A.MOTOR.PRESET.2=50;\r\n"});
    row("query of a UID nobody has", {"#UID9=?;"}, silence);
    row("query under a serial number's digits", {"#UID100003=?;"}, silence);
    row("device set", {"#UID1.ALIAS=DESK;"}, {"!UID1.ALIAS=DESK;\r\n"});
    row("device set is kept", {"#UID1.LED.DISSOLVE=20;", "#UID1.LED.DISSOLVE=?;"},
        {"!UID1.LED.DISSOLVE=20;\r\n"});
    row("device set on a port", {"#UID2.B.MOTOR.MODE=FRONT;"}, {"!UID2.B.MOTOR.MODE=FRONT;\r\n"});
    row("LED preset", {"#UID1.LED.PRESET.100=255.128.0"}, {"!UID1.LED.PRESET.100=255.128.0;\r\n"});
    row("device set of a read-only setting", {"#UID1.LED.LEVEL=5;"}, silence);
    row("device set without the port its group is under", {"#UID2.MOTOR.MODE=FRONT;"}, silence);
    row("device set outside the options", {"#UID2.A.MOTOR.MODE=SIDEWAYS;"}, silence);
    row("device set on a UID nobody has", {"#UID9.ALIAS=X;"}, silence);
    row("readdress", {"#SN100003.UID=12;"}, {"+UID12;\r\n"});
    row("readdressed device answers", {"#SN100003.UID=12;", "#UID12.TYPE=?;"},
        {"!UID12.TYPE=LAMP_A;\r\n"});
    row("readdress of an unknown serial number", {"#SN555.UID=12;"}, silence);
    row("device identify", {"#UID1=IDENTIFY;"}, silence);
    // LED keypad
    row("group address reaches every LED channel", {"#2.1.0.LED=SET,120\r"},
        {"!2.1.1.LED.COLOR=0.0.120\r\n", "!2.1.2.LED.COLOR=0.0.120\r\n"});
    row("node address reaches one channel", {"#2.1.2.LED=FADE_UP\r"},
        {"!2.1.2.LED.COLOR=0.0.24\r\n"});
    row("ramps step and stop",
        {"#2.1.1.LED=FADE_UP\r", "#2.1.1.LED=FADE_UP\r", "#2.1.1.LED=FADE_DOWN\r"},
        {"!2.1.1.LED.COLOR=0.0.24\r\n"});
    row("stop reports where the ramp ended", {"#2.1.1.LED=SAT_UP\r", "#2.1.1.LED=STOP\r\n"},
        {"!2.1.1.LED.COLOR=0.24.0\r\n"});
    row("levels stay within 0 to 240", {"#2.1.1.LED=HUE,300\r"}, {"!2.1.1.LED.COLOR=240.0.0\r\n"});
    row("colour component", {"#2.1.1.LED=RED,10\r"}, {"!2.1.1.LED.VALUE=10.0.0.0\r\n"});
    row("colour value from the sun dialog", {"#2.1.1.LED.VALUE=240.210.153"},
        {"!2.1.1.LED.VALUE=240.210.153.0\r\n"});
    row("sun level", {"#2.1.1.LED=SUN,100\r"}, {"!2.1.1.LED.STATUS=100.3000\r\n"});
    row("colour temperature within its range", {"#2.1.1.LED=CCT,12000\r"},
        {"!2.1.1.LED.STATUS=240.9000\r\n"});
    row("on brings back the last level",
        {"#2.1.1.LED=SET,200\r", "#2.1.1.LED=OFF\r", "#2.1.1.LED=ON\r"},
        {"!2.1.1.LED.COLOR=0.0.200\r\n"});
    row("recall brings back what was stored",
        {"#2.1.1.LED=HUE,60\r", "#2.1.1.LED=STORE,3\r", "#2.1.1.LED=HUE,0\r",
         "#2.1.1.LED=RECALL,3\r\n"},
        {"!2.1.1.LED.COLOR=60.0.0\r\n", "!2.1.1.LED.VALUE=0.0.0.0\r\n"});
    row("effect", {"#2.1.1.LED=EFFECT,4\r"}, {"!2.1.1.LED.COLOR=0.0.0\r\n"});
    row("unknown LED action", {"#2.1.1.LED=WARP\r"}, silence);
    row("LED action with a word for a number", {"#2.1.1.LED=SET,HIGH\r"}, silence);
    row("another zone", {"#3.1.0.LED=ON\r"}, silence);
    row("motor command to an LED channel", {"#2.1.1.MOTOR=UP\r"}, silence);
    // Motor keypad
    row("goto", {"#1.1.1.MOTOR=GOTO,50.25\r"}, {"!1.1.1.MOTOR.POSITION=50.25\r\n"});
    row("goto a small position", {"#1.1.1.MOTOR=GOTO,0.07\r"}, {"!1.1.1.MOTOR.POSITION=0.07\r\n"});
    row("goto with one decimal", {"#1.1.2.MOTOR=GOTO,37.5\r"}, {"!1.1.2.MOTOR.POSITION=37.50\r\n"});
    row("goto beyond the end", {"#1.1.1.MOTOR=GOTO,150.00\r"},
        {"!1.1.1.MOTOR.POSITION=100.00\r\n"});
    row("down on the whole group", {"#1.1.0.MOTOR=DOWN\r"},
        {"!1.1.1.MOTOR.POSITION=100.00\r\n", "!1.1.2.MOTOR.POSITION=100.00\r\n"});
    row("retract", {"#1.1.2.MOTOR=DOWN\r", "#1.1.0.MOTOR=RETRACT\r"},
        {"!1.1.1.MOTOR.POSITION=0.00\r\n", "!1.1.2.MOTOR.POSITION=0.00\r\n"});
    row("recall of a preset of the device's settings", {"#1.1.2.MOTOR=RECALL,1\r"},
        {"!1.1.2.MOTOR.POSITION=25.00\r\n"});
    row("store and recall",
        {"#1.1.1.MOTOR=GOTO,12.34\r", "#1.1.1.MOTOR=STORE,5\r", "#1.1.1.MOTOR=UP\r",
         "#1.1.1.MOTOR=RECALL,5\r"},
        {"!1.1.1.MOTOR.POSITION=12.34\r\n"});
    row("stop", {"#1.1.1.MOTOR=GOTO,20.00\r", "#1.1.1.MOTOR=STOP\r"},
        {"!1.1.1.MOTOR.POSITION=20.00\r\n"});
    row("goto to a word", {"#1.1.1.MOTOR=GOTO,HALF\r"}, silence);
    row("goto with three decimals", {"#1.1.1.MOTOR=GOTO,1.234\r"}, silence);
    row("LED command to a motor channel", {"#1.1.1.LED=ON\r"}, silence);
}

void TestSimSite::answersEachFamily() {
    QFETCH(Replies, commands);
    CSimSite site = simtest::smallSite();
    Replies replies;
    for (const QByteArray& command : commands) {
        replies = ask(site, command);
    }
    QTEST(replies, "expected");
}

void TestSimSite::answersFromTheGatewayToEachAsker() {
    CSimSite site = simtest::smallSite();
    site.receive(0, "&NAME=?;", kAsker, kStart);
    site.receive(0, "#UID1.TYPE=?;", kOtherAsker, kStart);
    const QList<CSimOutgoing> due = site.takeDue(kStart);
    QCOMPARE(due.size(), 2);
    QCOMPARE(due[0].to, kAsker);
    QCOMPARE(due[0].bytes, QByteArray("!NAME=Ubrix 1;\r\n"));
    QCOMPARE(due[1].to, kOtherAsker);
    QCOMPARE(due[1].bytes, QByteArray("!UID1.TYPE=LAMP_A;\r\n"));
    QCOMPARE(due[0].gateway, 0);
    QCOMPARE(due[1].gateway, 0);
    QCOMPARE(site.pendingCount(), 0);
}

void TestSimSite::armedGatewayGivesThePressedDeviceItsUid() {
    CSimSite site = simtest::smallSite();
    QVERIFY(ask(site, "#UID=9;").isEmpty());
    QCOMPARE(site.gateways()[0].armedUid(), std::optional<quint32>(9));
    // A query from someone else does not move the announcements away from the one who armed.
    QCOMPARE(ask(site, "&NAME=?;", kStart, kOtherAsker).size(), 1);

    QVERIFY(site.pressDiscoverButton(0, simtest::kNewLampSerial, kStart));
    const QList<CSimOutgoing> due = site.takeDue(kStart);
    QCOMPARE(texts(due), Replies({"+UID9;\r\n", "!UID9.TYPE=LAMP_A;\r\n"}));
    for (const CSimOutgoing& outgoing : due) {
        QCOMPARE(outgoing.to, kAsker);
    }
    QCOMPARE(site.gateways()[0].devices()[2].uid(), std::optional<quint32>(9));
    QVERIFY(!site.gateways()[0].armedUid());
    QCOMPARE(ask(site, "#UID9.SN=?;"), Replies({"!UID9.SN=100003;\r\n"}));

    // Armed once, taken once: the next press only announces.
    QVERIFY(site.pressDiscoverButton(0, simtest::kNewLampSerial, kStart));
    QCOMPARE(texts(site.takeDue(kStart)), Replies({"+UID9;\r\n"}));
}

void TestSimSite::pressWithoutArmAnnouncesTheDevice() {
    CSimSite site = simtest::smallSite();
    QCOMPARE(ask(site, "#UID=REGISTER;").size(), 3);
    QVERIFY(site.pressDiscoverButton(0, simtest::kNewLampSerial, kStart));
    QVERIFY(site.pressDiscoverButton(0, simtest::kLampSerial, kStart));
    const QList<CSimOutgoing> due = site.takeDue(kStart);
    QCOMPARE(texts(due), Replies({"+SN100003;\r\n", "+UID1;\r\n"}));
    QCOMPARE(due[0].to, kAsker);
    QVERIFY(!site.gateways()[0].devices()[2].uid());
}

void TestSimSite::pressBeforeAnyoneAskedSendsNothing() {
    CSimSite site = simtest::smallSite();
    QVERIFY(site.pressDiscoverButton(0, simtest::kLampSerial, kStart));
    QCOMPARE(site.pendingCount(), 0);
}

void TestSimSite::pressOfAnUnknownDeviceIsRefused() {
    CSimSite site = simtest::smallSite();
    QVERIFY(ask(site, "#UID=9;").isEmpty());
    QVERIFY(!site.pressDiscoverButton(0, 555, kStart));
    QVERIFY(!site.pressDiscoverButton(1, simtest::kLampSerial, kStart));
    QVERIFY(!site.pressDiscoverButton(-1, simtest::kLampSerial, kStart));
    QCOMPARE(site.pendingCount(), 0);
    QCOMPARE(site.gateways()[0].armedUid(), std::optional<quint32>(9));
}

void TestSimSite::readdressedDeviceAnswersUnderItsNewUid() {
    CSimSite site = simtest::smallSite();
    QCOMPARE(ask(site, "#SN100001.UID=40;"), Replies({"+UID40;\r\n"}));
    QVERIFY(ask(site, "#UID1=?;").isEmpty());
    QCOMPARE(ask(site, "#UID40.ALIAS=?;"), Replies({"!UID40.ALIAS=DEV100001;\r\n"}));
    QCOMPARE(ask(site, "#UID=REGISTER;"), Replies({"+UID40;\r\n", "+UID2;\r\n", "+SN100003;\r\n"}));
}

void TestSimSite::identifyIsRecorded() {
    CSimSite site = simtest::smallSite();
    ask(site, "&=IDENTIFY");
    ask(site, "&=IDENTIFY;");
    ask(site, "#UID1=IDENTIFY;");
    ask(site, "#SN100003=IDENTIFY;");
    ask(site, "#SN100003=IDENTIFY;");
    ask(site, "#SN999=IDENTIFY;");
    QCOMPARE(site.gateways()[0].identifyCount(), 2);
    QCOMPARE(site.gateways()[0].devices()[0].identifyCount(), 1);
    QCOMPARE(site.gateways()[0].devices()[1].identifyCount(), 0);
    QCOMPARE(site.gateways()[0].devices()[2].identifyCount(), 2);
}

void TestSimSite::restartKeepsTheGatewaySilentForAWhile() {
    CSimSite site = simtest::smallSite();
    QVERIFY(ask(site, "&VERSION_HW=RESET;", kStart).isEmpty());
    QCOMPARE(site.gateways()[0].restartCount(), 1);
    QVERIFY(ask(site, "&NAME=?;", kStart + 1).isEmpty());
    QVERIFY(ask(site, "#UID=REGISTER;", kStart + 2999).isEmpty());
    QVERIFY(!site.pressDiscoverButton(0, 555, kStart + 2999));
    QCOMPARE(ask(site, "&NAME=?;", kStart + CSimSite::kDefaultRestartSilenceMs),
             Replies({"!NAME=Ubrix 1;\r\n"}));

    site.setRestartSilenceMs(500);
    const qint64 later = kStart + 10'000;
    QVERIFY(ask(site, "&VERSION_HW=RESET;", later).isEmpty());
    QVERIFY(ask(site, "&NAME=?;", later + 499).isEmpty());
    QCOMPARE(ask(site, "&NAME=?;", later + 500).size(), 1);
    QCOMPARE(site.gateways()[0].restartCount(), 2);
}

void TestSimSite::restartForgetsRepliesNotYetSent() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.delayMs = 100;
    site.setFaults(faults);
    site.receive(0, "&=?;", kAsker, kStart);
    QCOMPARE(site.pendingCount(), kGatewayReport.size());
    site.receive(0, "&VERSION_HW=RESET;", kAsker, kStart + 10);
    QCOMPARE(site.pendingCount(), 0);
    QVERIFY(site.takeDue(kStart + 200).isEmpty());
}

void TestSimSite::restartDisarmsTheBus() {
    CSimSite site = simtest::smallSite();
    QVERIFY(ask(site, "#UID=9;").isEmpty());
    QVERIFY(ask(site, "&VERSION_HW=RESET;").isEmpty());
    const qint64 after = kStart + CSimSite::kDefaultRestartSilenceMs;
    QVERIFY(site.pressDiscoverButton(0, simtest::kNewLampSerial, after));
    QCOMPARE(texts(site.takeDue(after)), Replies({"+SN100003;\r\n"}));
}

void TestSimSite::dropsASeededShareOfReplies() {
    auto run = [](quint64 seed) {
        CSimSite site = simtest::smallSite();
        CSimFaults faults;
        faults.dropShare = 0.25;
        faults.seed = seed;
        site.setFaults(faults);
        Replies sent;
        for (int i = 0; i < 500; ++i) {
            sent += ask(site, "&=?;");
        }
        return std::make_pair(sent, site.counters());
    };
    const auto [sent, counters] = run(7);
    QCOMPARE(counters.replies, 500u * kGatewayReport.size());
    // 4000 draws at 0.25: the standard deviation is 27; 120 is more than four of them.
    QVERIFY2(counters.dropped >= 880 && counters.dropped <= 1120,
             qPrintable(QString::number(counters.dropped)));
    QCOMPARE(static_cast<quint64>(sent.size()), counters.replies - counters.dropped);
    QCOMPARE(run(7).first, sent);
    QVERIFY(run(8).first != sent);
}

void TestSimSite::dropsEveryReplyAtShareOne() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.dropShare = 1.0;
    site.setFaults(faults);
    QVERIFY(ask(site, "&=?;").isEmpty());
    QVERIFY(ask(site, "#UID=REGISTER;").isEmpty());
    QCOMPARE(site.counters().dropped, site.counters().replies);
}

void TestSimSite::delaysEveryReply() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.delayMs = 50;
    site.setFaults(faults);
    site.receive(0, "&NAME=?;", kAsker, kStart);
    site.receive(0, "#UID=REGISTER;", kAsker, kStart + 10);
    QCOMPARE(site.nextDueMs(), std::optional<qint64>(kStart + 50));
    QVERIFY(site.takeDue(kStart + 49).isEmpty());
    QCOMPARE(texts(site.takeDue(kStart + 50)), Replies({"!NAME=Ubrix 1;\r\n"}));
    QCOMPARE(site.nextDueMs(), std::optional<qint64>(kStart + 60));
    QCOMPARE(texts(site.takeDue(kStart + 60)),
             Replies({"+UID1;\r\n", "+UID2;\r\n", "+SN100003;\r\n"}));
    QVERIFY(!site.nextDueMs());
}

void TestSimSite::malformsEachWay_data() {
    using How = CSimFaults::Malformation;
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("how");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray name("!NAME=Ubrix 1;\r\n");
    auto row = [](const char* label, const QByteArray& reply, How how, const QByteArray& expected) {
        QTest::newRow(label) << reply << static_cast<int>(how) << expected;
    };
    row("query echo", name, How::QueryEcho, "!NAME=?;\r\n");
    row("query echo of a keypad status", "!2.1.1.LED.COLOR=0.0.24\r\n", How::QueryEcho,
        "!2.1.1.LED.COLOR=?;\r\n");
    row("query echo of an announcement", "+UID12;\r\n", How::QueryEcho, "+UID12?;\r\n");
    row("no equals sign", name, How::NoEquals, "!NAMEUbrix 1;\r\n");
    row("announcement without its number", "+UID12;\r\n", How::NoEquals, "+UID;\r\n");
    row("cut", name, How::Cut, "!NAME=U");
    row("overlong", name, How::Overlong,
        "!NAME=Ubrix 1;" + QByteArray(CSimFaults::kOverlongSize, 'X') + "\r\n");
    row("bad name", name, How::BadName, "!<NAME=Ubrix 1;\r\n");
    row("bad name in a device reply", "!UID5.TYPE=LAMP_A;\r\n", How::BadName,
        "!<UID5.TYPE=LAMP_A;\r\n");
    row("empty", name, How::Empty, "");
}

void TestSimSite::malformsEachWay() {
    QFETCH(QByteArray, reply);
    QFETCH(int, how);
    CSimRandom random(1);
    QTEST(CSimFaults::malform(reply, static_cast<CSimFaults::Malformation>(how), random),
          "expected");
}

void TestSimSite::malformedOptionSpoilsEveryReply() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.malformedShare = 1.0;
    site.setFaults(faults);
    QSet<QByteArray> proper(kGatewayReport.begin(), kGatewayReport.end());
    int queryEchoes = 0, withoutEquals = 0, cut = 0, binary = 0, overlong = 0, badNames = 0,
        empty = 0;
    for (int i = 0; i < 100; ++i) {
        for (const QByteArray& reply : ask(site, "&=?;")) {
            QVERIFY2(!proper.contains(reply), reply.constData());
            if (reply.isEmpty()) {
                ++empty;
            } else if (reply.size() > CSimFaults::kOverlongSize) {
                ++overlong;
            } else if (reply.contains('\0')) {
                ++binary;
            } else if (reply.startsWith("!<")) {
                ++badNames;
            } else if (reply.endsWith("=?;\r\n")) {
                ++queryEchoes;
            } else if (!reply.contains('=')) {
                ++withoutEquals;
            } else {
                QVERIFY2(!reply.endsWith("\r\n"), reply.constData());
                ++cut;
            }
        }
    }
    QCOMPARE(site.counters().malformed, site.counters().replies);
    for (const int seen : {queryEchoes, withoutEquals, cut, binary, overlong, badNames, empty}) {
        QVERIFY(seen > 0);
    }
}

void TestSimSite::wrongTypeIsReportedEverywhereTypeIsReported() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.wrongType = true;
    site.setFaults(faults);
    QCOMPARE(ask(site, "&TYPE=?;"), Replies({"!TYPE=GATE_B;\r\n"}));
    QCOMPARE(ask(site, "&=?;").front(), QByteArray("!TYPE=GATE_B;\r\n"));
    QCOMPARE(ask(site, "&A.SERIAL.TYPE=?;"), Replies({"!A.SERIAL.TYPE=KVBUS;\r\n"}));
    QCOMPARE(ask(site, "#UID1=?;").front(), QByteArray("!UID1.TYPE=LAMP_B;\r\n"));
    QCOMPARE(ask(site, "#UID2.TYPE=?;"), Replies({"!UID2.TYPE=DRIVE_B;\r\n"}));
    QVERIFY(ask(site, "#UID=5;").isEmpty());
    QVERIFY(site.pressDiscoverButton(0, simtest::kNewLampSerial, kStart));
    QCOMPARE(texts(site.takeDue(kStart)), Replies({"+UID5;\r\n", "!UID5.TYPE=LAMP_B;\r\n"}));
    // The device still is what it is: its own settings rule what it accepts.
    QCOMPARE(ask(site, "#UID1.LED.DISSOLVE=30;"), Replies({"!UID1.LED.DISSOLVE=30;\r\n"}));

    faults.wrongType = false;
    site.setFaults(faults);
    QCOMPARE(ask(site, "#UID1.TYPE=?;"), Replies({"!UID1.TYPE=LAMP_A;\r\n"}));
}

void TestSimSite::faultsStillAnswerOnlyTheAsker() {
    CSimSite site = simtest::smallSite();
    CSimFaults faults;
    faults.dropShare = 0.3;
    faults.malformedShare = 0.5;
    faults.delayMs = 10;
    faults.seed = 99;
    site.setFaults(faults);
    const Replies commands = {"&=?;", "#UID=REGISTER;", "#UID1=?;", "#2.1.0.LED=ON\r"};
    qint64 now = kStart;
    int answered = 0;
    for (int i = 0; i < 200; ++i) {
        const quint32 asker = (i % 2 == 0) ? kAsker : kOtherAsker;
        site.receive(0, commands[i % commands.size()], asker, now);
        now += 10;
        for (const CSimOutgoing& outgoing : site.takeDue(now)) {
            QCOMPARE(outgoing.to, asker);
            ++answered;
        }
    }
    QVERIFY(answered > 0);
    QVERIFY(site.counters().dropped > 0);
    QVERIFY(site.counters().malformed > 0);
}

QTEST_GUILESS_MAIN(TestSimSite)
#include "TestSimSite.moc"

namespace {
using DueTimes = QList<qint64>;

DueTimes dueOffsets(const QList<CSimOutgoing>& outgoing) {
    DueTimes offsets;
    for (const CSimOutgoing& one : outgoing) {
        offsets.append(one.dueMs - kStart);
    }
    return offsets;
}
}  // namespace

void TestSimSite::latencyTimesEachReply_data() {
    QTest::addColumn<Replies>("commands");  // each sent 10 ms after the one before
    QTest::addColumn<DueTimes>("due");      // after the first command
    // Gateway 5 ms; bus 40 ms and 3 ms per setting.
    QTest::newRow("gateway answers itself") << Replies{"&NAME=?;"} << DueTimes{5};
    QTest::newRow("gateway's full report at once")
        << Replies{"&=?;"} << DueTimes(kGatewayReport.size(), 5);
    QTest::newRow("device report paced by the bus")
        << Replies{"#UID2=?;"} << DueTimes{43, 46, 49, 52, 55, 58, 61};
    QTest::newRow("set echo over the bus") << Replies{"#UID1.ALIAS=DESK;"} << DueTimes{43};
    // The second query waits for the bus the first still holds (free at 55).
    QTest::newRow("one bus, one command at a time")
        << Replies{"#UID2.A.MOTOR.PRESET=?;", "#UID1.ALIAS=?;", "&NAME=?;"}
        << DueTimes{25, 43, 46, 89};
    // A command for a device of another bus stays off this one; one for the whole bus (the
    // arming) takes it for its 40 ms although nobody answers.
    QTest::newRow("another bus's device: this bus stays free")
        << Replies{"#UID9=?;", "#UID1.ALIAS=?;"} << DueTimes{53};
    QTest::newRow("another bus's device set: this bus stays free")
        << Replies{"#UID9.ALIAS=X;", "#UID1.ALIAS=?;"} << DueTimes{53};
    QTest::newRow("arming is for the whole bus: silence takes it")
        << Replies{"#UID=7;", "#UID1.ALIAS=?;"} << DueTimes{83};
}

void TestSimSite::latencyTimesEachReply() {
    QFETCH(Replies, commands);
    QFETCH(DueTimes, due);
    CSimSite site = simtest::smallSite();
    CSimLatency latency;
    latency.gatewayMs = 5;
    latency.busMs = 40;
    latency.busPerSettingMs = 3;
    site.setLatency(latency);
    for (qsizetype i = 0; i < commands.size(); ++i) {
        site.receive(0, commands[i], kAsker, kStart + 10 * i);
    }
    const QList<CSimOutgoing> sent = site.takeDue(kStart + 100'000);
    QCOMPARE(dueOffsets(sent), due);
}

void TestSimSite::jitterIsSeededAndBounded() {
    auto run = [](quint64 seed) {
        CSimSite site = simtest::smallSite();
        CSimFaults faults;
        faults.seed = seed;
        site.setFaults(faults);
        CSimLatency latency;
        latency.busMs = 40;
        latency.busPerSettingMs = 3;
        latency.jitterMs = 9;
        site.setLatency(latency);
        site.receive(0, "#UID1=?;", kAsker, kStart);
        // Sent as the bus frees after the report's own time (40 + 3 a setting), the echo
        // shows that the jitter delayed the replies, not the bus.
        const qint64 busFree = 40 + 3 * static_cast<qint64>(kLampReport.size());
        site.receive(0, "#UID1.ALIAS=X;", kAsker, kStart + busFree);
        return dueOffsets(site.takeDue(kStart + 100'000));
    };
    DueTimes due = run(3);
    QCOMPARE(due.size(), kLampReport.size() + 1);
    const qint64 echo = due.takeLast();
    DueTimes beat;  // each setting as it leaves the bus
    for (qsizetype i = 0; i < due.size(); ++i) {
        beat.append(40 + 3 * (i + 1));
        const qint64 before = i > 0 ? due[i - 1] : 0;
        QVERIFY2(due[i] >= beat[i] && due[i] <= beat[i] + 9 && due[i] >= before,
                 qPrintable(QString::number(due[i])));
    }
    QVERIFY(due != beat);  // draws that were all 0 would be no jitter at all
    const qint64 echoOnTheBus = 40 + 3 * static_cast<qint64>(kLampReport.size()) + 40 + 3;
    QVERIFY2(echo >= echoOnTheBus && echo <= echoOnTheBus + 9, qPrintable(QString::number(echo)));
    QCOMPARE(run(3).mid(0, due.size()), due);
    QVERIFY(run(4).mid(0, due.size()) != due);
}

void TestSimSite::deviceFaultsTouchOnlyTheirDevice_data() {
    QTest::addColumn<int>("uid");  // 0: the gateway itself
    QTest::addColumn<QByteArray>("kinds");
    QTest::addColumn<Replies>("commands");
    QTest::addColumn<Replies>("expected");
    const Replies silence;
    QTest::newRow("silent device")
        << 1 << QByteArray("silent") << Replies{"#UID1.ALIAS=X;", "#UID1=?;"} << silence;
    QTest::newRow("silent device is not announced")
        << 1 << QByteArray("silent") << Replies{"#UID=REGISTER;"}
        << Replies{"+UID2;\r\n", "+SN100003;\r\n"};
    QTest::newRow("the next device still answers")
        << 1 << QByteArray("silent") << Replies{"#UID2.SN=?;"} << Replies{"!UID2.SN=100002;\r\n"};
    QTest::newRow("device of another type")
        << 1 << QByteArray("other-type") << Replies{"#UID1.TYPE=?;"}
        << Replies{"!UID1.TYPE=LAMP_B;\r\n"};
    QTest::newRow("device refuses a set")
        << 1 << QByteArray("refuses-sets") << Replies{"#UID1.ALIAS=X;", "#UID1.ALIAS=?;"}
        << Replies{"!UID1.ALIAS=DEV100001;\r\n"};
    QTest::newRow("silent gateway") << 0 << QByteArray("silent") << Replies{"&NAME=?;"} << silence;
    QTest::newRow("gateway refuses a set")
        << 0 << QByteArray("refuses-sets") << Replies{"&NAME=Hall", "&NAME=?;"}
        << Replies{"!NAME=Ubrix 1;\r\n"};
    QTest::newRow("gateway of another type, its devices not")
        << 0 << QByteArray("other-type") << Replies{"&TYPE=?;", "#UID1.TYPE=?;"}
        << Replies{"!UID1.TYPE=LAMP_A;\r\n"};
}

void TestSimSite::deviceFaultsTouchOnlyTheirDevice() {
    QFETCH(int, uid);
    QFETCH(QByteArray, kinds);
    QFETCH(Replies, commands);
    CSimSite site = simtest::smallSite();
    CSimDeviceFaults faults;
    faults.silent = kinds == "silent";
    faults.otherType = kinds == "other-type";
    faults.refusesSets = kinds == "refuses-sets";
    QVERIFY(site.setDeviceFaults(0, uid == 0 ? std::nullopt : std::optional<quint32>(uid), faults));
    QVERIFY(!site.setDeviceFaults(0, 77, faults));
    Replies replies;
    for (const QByteArray& command : commands) {
        replies = ask(site, command);
    }
    QTEST(replies, "expected");
    if (uid == 0 && faults.otherType) {
        QCOMPARE(ask(site, "&TYPE=?;"), Replies({"!TYPE=GATE_B;\r\n"}));
    }
}

void TestSimSite::networkSettingsTakeEffectWhenSet() {
    CSimSiteConfig config;
    config.addresses = {simtest::ip(simtest::kGatewayAddress)};
    QString error;
    auto shipped = CSimSiteBuilder::build(simtest::shippedModels(), config, error);
    QVERIFY2(shipped, qPrintable(error));
    CSimSite& site = *shipped;
    const quint32 own = simtest::ip(simtest::kGatewayAddress);
    const CSimArrival oldPort{own, 5000};
    const CSimArrival newPort{own, 5001};
    QVERIFY(site.receive(0, "&UDP.LISTEN_PORT=5001", kAsker, kStart, oldPort));
    // The echo still comes; from now on only the new port is heard.
    QCOMPARE(texts(site.takeDue(kStart)), Replies({"!UDP.LISTEN_PORT=5001;\r\n"}));
    QVERIFY(!site.receive(0, "&NAME=?;", kAsker, kStart, oldPort));
    QVERIFY(!site.receive(0, "&NAME=?;", kAsker, kStart, {0, 5000}));
    QVERIFY(site.receive(0, "&NAME=?;", kAsker, kStart, {0, 5001}));
    QCOMPARE(site.takeDue(kStart).size(), 1);

    // Replies go to the new send port, the echo of the change already.
    QVERIFY(site.receive(0, "&UDP.SEND_PORT=4100", kAsker, kStart, newPort));
    const QList<CSimOutgoing> echo = site.takeDue(kStart);
    QCOMPARE(echo.size(), 1);
    QCOMPARE(echo[0].port, 4100);

    // A fixed address takes effect once DHCP is off; the old address hears nothing.
    const quint32 moved = simtest::ip("10.0.0.9");
    QVERIFY(site.receive(0, "&NETWORK.STATIC_IP=10.0.0.9", kAsker, kStart, newPort));
    QCOMPARE(site.gateways()[0].address(), own);  // DHCP is still on
    QVERIFY(site.receive(0, "&NETWORK.DHCP=DISABLE", kAsker, kStart, newPort));
    QCOMPARE(site.gateways()[0].address(), moved);
    const QList<CSimOutgoing> fromMoved = site.takeDue(kStart);
    QCOMPARE(fromMoved.size(), 2);
    QCOMPARE(fromMoved[1].from, moved);
    QVERIFY(!site.receive(0, "&NAME=?;", kAsker, kStart, newPort));
    QVERIFY(site.receive(0, "&NAME=?;", kAsker, kStart, {moved, 5001}));
    QCOMPARE(site.gatewayIndex(moved), 0);
}
