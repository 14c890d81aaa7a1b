#include "SimTestSupport.h"
#include "sim/CSimCommand.h"
#include "sim/CSimRandom.h"

#include <QTest>

Q_DECLARE_METATYPE(CSimCommand::Kind)
Q_DECLARE_METATYPE(CSimCommand::Target)

using Kind = CSimCommand::Kind;
using Target = CSimCommand::Target;

namespace {

// Every command the program sends, in the forms it sends them.
const QList<QByteArray> kProgramCommands = {
    "&NAME=?;",
    "&=?;",
    "&NETWORK.DHCP=ENABLE;",
    "&NETWORK.DHCP=ENABLE",
    "&A.SERIAL.TYPE=KVBUS;",
    "&TELNET.LOGIN.2=ENABLE;",
    "&VERSION_HW=RESET;",
    "&=IDENTIFY",
    "#UID=REGISTER;",
    "#UID=7;",
    "#uid=7;",
    "#SN812.UID=7;",
    "#UID5=?;",
    "#uid5=?;",
    "#UID5.ALIAS=DESK;",
    "#UID5.A.LED.DISSOLVE=20;",
    "#UID12.MOTOR.MODE=FRONT",
    "#UID7.LED.PRESET.100=255.128.0",
    "#UID5=IDENTIFY;",
    "#SN812=IDENTIFY;",
    "#2.1.0.LED=FADE_UP\r",
    "#2.1.0.LED=STOP\r\n",
    "#2.1.0.LED=RECALL,6",
    "#1.1.1.MOTOR=GOTO,50.25\r",
    "#2.1.1.LED.VALUE=240.210.153",
};

}  // namespace

// The command parser: every family the program sends, read into its parts, and
// everything else refused.
class TestSimCommand : public QObject {
    Q_OBJECT

private slots:
    void readsEveryFamily_data();
    void readsEveryFamily();
    void refusesWhatIsNoCommand_data();
    void refusesWhatIsNoCommand();
    void readsEveryProgramCommandAsValid();
    void survivesMutatedAndRandomInput();
};

void TestSimCommand::readsEveryFamily_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Target>("target");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<quint32>("newUid");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("keypad");

    const QByteArray none;
    auto row = [&](const char* name, const QByteArray& datagram, Kind kind, Target target,
                   quint32 number, quint32 newUid, const QByteArray& port, const QByteArray& group,
                   const QByteArray& key, const QByteArray& index, const QByteArray& value,
                   const QByteArray& keypad = {}) {
        QTest::newRow(name) << datagram << kind << target << number << newUid << port << group
                            << key << index << value << keypad;
    };
    const Target noTarget = Target::None;
    row("name query", "&NAME=?;", Kind::GatewayQuery, noTarget, 0, 0, none, none, "NAME", none,
        "?");
    row("full query", "&=?;", Kind::GatewayQuery, noTarget, 0, 0, none, none, none, none, none);
    row("set", "&NETWORK.DHCP=ENABLE;", Kind::GatewaySet, noTarget, 0, 0, none, "NETWORK", "DHCP",
        none, "ENABLE");
    row("set as the upload sends it", "&NETWORK.DHCP=ENABLE", Kind::GatewaySet, noTarget, 0, 0,
        none, "NETWORK", "DHCP", none, "ENABLE");
    row("set on a port", "&A.SERIAL.TYPE=KVBUS;", Kind::GatewaySet, noTarget, 0, 0, "A", "SERIAL",
        "TYPE", none, "KVBUS");
    row("set with an index", "&TELNET.LOGIN.2=ENABLE;", Kind::GatewaySet, noTarget, 0, 0, none,
        "TELNET", "LOGIN", "2", "ENABLE");
    row("set of the name", "&NAME=Hall;", Kind::GatewaySet, noTarget, 0, 0, none, none, "NAME",
        none, "Hall");
    row("set to nothing", "&NAME=;", Kind::GatewaySet, noTarget, 0, 0, none, none, "NAME", none,
        none);
    row("value with blanks and 8-bit bytes", "&NAME=Caf\xE9 du Nord;", Kind::GatewaySet, noTarget,
        0, 0, none, none, "NAME", none, "Caf\xE9 du Nord");
    row("port, group, key and index", "&B.SERIAL.PRIORITY.3=7;", Kind::GatewaySet, noTarget, 0, 0,
        "B", "SERIAL", "PRIORITY", "3", "7");
    row("restart", "&VERSION_HW=RESET;", Kind::GatewayRestart, noTarget, 0, 0, none, none, none,
        none, none);
    row("identify without semicolon", "&=IDENTIFY", Kind::GatewayIdentify, noTarget, 0, 0, none,
        none, none, none, none);
    row("identify with semicolon", "&=IDENTIFY;", Kind::GatewayIdentify, noTarget, 0, 0, none, none,
        none, none, none);
    row("registration", "#UID=REGISTER;", Kind::BusRegister, noTarget, 0, 0, none, none, none, none,
        none);
    row("arm", "#UID=7;", Kind::BusArm, noTarget, 0, 7, none, none, none, none, none);
    row("arm in lower case", "#uid=123456;", Kind::BusArm, noTarget, 0, 123456, none, none, none,
        none, none);
    row("readdress by serial", "#SN812.UID=7;", Kind::DeviceReaddress, Target::Serial, 812, 7, none,
        none, none, none, "7");
    row("readdress by UID", "#UID5.UID=9;", Kind::DeviceReaddress, Target::Uid, 5, 9, none, none,
        none, none, "9");
    row("device full query", "#UID5=?;", Kind::DeviceQuery, Target::Uid, 5, 0, none, none, none,
        none, "?");
    row("device full query in lower case", "#uid42=?;", Kind::DeviceQuery, Target::Uid, 42, 0, none,
        none, none, none, "?");
    row("device setting query", "#UID5.ALIAS=?;", Kind::DeviceQuery, Target::Uid, 5, 0, none, none,
        "ALIAS", none, "?");
    row("device set", "#UID5.ALIAS=DESK;", Kind::DeviceSet, Target::Uid, 5, 0, none, none, "ALIAS",
        none, "DESK");
    row("device set on a port", "#UID5.A.LED.DISSOLVE=20;", Kind::DeviceSet, Target::Uid, 5, 0, "A",
        "LED", "DISSOLVE", none, "20");
    row("device set of a port's alias", "#UID5.B.ALIAS=DESK;", Kind::DeviceSet, Target::Uid, 5, 0,
        "B", none, "ALIAS", none, "DESK");
    row("device set as the upload sends it", "#UID12.MOTOR.MODE=FRONT", Kind::DeviceSet,
        Target::Uid, 12, 0, none, "MOTOR", "MODE", none, "FRONT");
    row("LED preset", "#UID7.LED.PRESET.100=255.128.0", Kind::DeviceSet, Target::Uid, 7, 0, none,
        "LED", "PRESET", "100", "255.128.0");
    row("device identify by UID", "#UID5=IDENTIFY;", Kind::DeviceIdentify, Target::Uid, 5, 0, none,
        none, none, none, "IDENTIFY");
    row("device identify by serial", "#SN812=IDENTIFY;", Kind::DeviceIdentify, Target::Serial, 812,
        0, none, none, none, none, "IDENTIFY");
    row("LED keypad key", "#2.1.0.LED=FADE_UP\r", Kind::Keypad, Target::Keypad, 0, 0, none, none,
        "LED", none, "FADE_UP", "2.1.0");
    row("LED keypad with CR LF", "#2.1.0.LED=STOP\r\n", Kind::Keypad, Target::Keypad, 0, 0, none,
        none, "LED", none, "STOP", "2.1.0");
    row("basic keypad without terminator", "#2.1.0.LED=RECALL,6", Kind::Keypad, Target::Keypad, 0,
        0, none, none, "LED", none, "RECALL,6", "2.1.0");
    row("basic keypad zone beyond a byte", "#300.1.1.LED=ON", Kind::Keypad, Target::Keypad, 0, 0,
        none, none, "LED", none, "ON", "300.1.1");
    row("motor keypad", "#1.1.1.MOTOR=GOTO,50.25\r", Kind::Keypad, Target::Keypad, 0, 0, none, none,
        "MOTOR", none, "GOTO,50.25", "1.1.1");
    row("sun colour", "#2.1.1.LED.VALUE=240.210.153", Kind::Keypad, Target::Keypad, 0, 0, none,
        "LED", "VALUE", none, "240.210.153", "2.1.1");
}

void TestSimCommand::readsEveryFamily() {
    QFETCH(QByteArray, datagram);
    const CSimCommand command = CSimCommand::parse(datagram);
    QTEST(command.kind, "kind");
    QTEST(command.target, "target");
    QTEST(command.number, "number");
    QTEST(command.newUid, "newUid");
    QTEST(command.address.port, "port");
    QTEST(command.address.group, "group");
    QTEST(command.address.key, "key");
    QTEST(command.address.index, "index");
    QFETCH(QByteArray, value);
    if (command.kind != Kind::GatewayRestart && command.kind != Kind::GatewayIdentify &&
        command.kind != Kind::BusRegister && command.kind != Kind::BusArm &&
        !(command.kind == Kind::GatewayQuery && command.address.isEmpty())) {
        QCOMPARE(command.value, value);
    }
    QFETCH(QByteArray, keypad);
    if (command.target == Target::Keypad) {
        const QByteArray address = QByteArray::number(command.keypad.zone) + "." +
                                   QByteArray::number(command.keypad.group) + "." +
                                   QByteArray::number(command.keypad.node);
        QCOMPARE(address, keypad);
    }
}

void TestSimCommand::refusesWhatIsNoCommand_data() {
    QTest::addColumn<QByteArray>("datagram");
    const QList<std::pair<const char*, QByteArray>> rows = {
        {"empty", ""},
        {"prefix only", "&"},
        {"no prefix", "NAME=?;"},
        {"no equals sign", "&NAME?;"},
        {"nothing before the equals sign but an unknown word", "&=FOO;"},
        {"lower-case key", "&name=?;"},
        {"empty path component", "&NETWORK..DHCP=1;"},
        {"leading dot", "&.NAME=1;"},
        {"trailing dot", "&NAME.=1;"},
        {"only a port", "&A=1;"},
        {"port that is no letter", "&1.SERIAL.TYPE=1;"},
        {"too many components", "&NETWORK.DHCP.2.X=1;"},
        {"key that starts with a digit", "&1NAME=1;"},
        {"key with a blank", "&NA ME=1;"},
        {"index of ten digits", "&TELNET.LOGIN.1234567890=1;"},
        {"arm with zero", "#UID=0;"},
        {"arm with a sign", "#UID=-1;"},
        {"arm with a word", "#UID=REGISTERX;"},
        {"arm with too many digits", "#UID=1234567890;"},
        {"UID without digits", "#UIDX=?;"},
        {"UID followed by a name without dot", "#UID5ALIAS=1;"},
        {"device with an unknown action", "#UID5=FOO;"},
        {"set by serial number", "#SN812.ALIAS=X;"},
        {"query by serial number", "#SN812=?;"},
        {"serial without digits", "#SN=IDENTIFY;"},
        {"unknown bus target", "#XY5=?;"},
        {"readdress to zero", "#SN812.UID=0;"},
        {"readdress to a word", "#SN812.UID=SEVEN;"},
        {"keypad with two numbers", "#2.1.LED=ON"},
        {"keypad without path", "#2.1.0=ON"},
        {"keypad without value", "#2.1.0.LED="},
        {"keypad with a port", "#2.1.0.A.LED=ON"},
        {"NUL in the value", QByteArray("&NAME=A\0B;", 10)},
        {"CR in the value", "&NAME=A\rB;"},
        {"LF in the middle", "&NAME=A\nB;"},
        {"two commands in one datagram", "&NAME=?;&=?;"},
        {"semicolon in the value", "&NAME=A;B;"},
        {"DEL in the value", "&NAME=A\x7F;"},
        {"a reply sent back", "!NAME=Lobby;"},
        {"a device reply sent back", "!UID5.TYPE=LUMET_AC;"},
        {"an announcement sent back", "+UID5;"},
        {"the firewall probe", "Firewall?"},
        {"a traffic line", "[10:00:00] (10.0.0.2) &NAME=?;"},
        {"binary before the command", "\xFF\xFE&=?;"},
        {"overlong", "&NAME=" + QByteArray(CSimCommand::kMaxLength, 'X') + ";"},
    };
    for (const auto& [name, datagram] : rows) {
        QTest::newRow(name) << datagram;
    }
}

void TestSimCommand::refusesWhatIsNoCommand() {
    QFETCH(QByteArray, datagram);
    QCOMPARE(CSimCommand::parse(datagram).kind, Kind::Invalid);
}

void TestSimCommand::readsEveryProgramCommandAsValid() {
    for (const QByteArray& command : kProgramCommands) {
        QVERIFY2(CSimCommand::parse(command).kind != Kind::Invalid, command.constData());
    }
}

// Flipped, cut, doubled and random bytes: the parser never crashes, and whatever it reads
// as a command the small site answers only to the asker.
void TestSimCommand::survivesMutatedAndRandomInput() {
    CSimSite site = simtest::smallSite();
    CSimRandom random(20260301);
    const quint32 asker = simtest::ip("10.0.0.1");
    qint64 now = 1000;
    for (int round = 0; round < 20000; ++round) {
        QByteArray datagram = kProgramCommands[random.below(kProgramCommands.size())];
        switch (random.below(5)) {
            case 0:
                datagram[random.below(datagram.size())] = static_cast<char>(random.below(256));
                break;
            case 1:
                datagram.truncate(random.below(datagram.size() + 1));
                break;
            case 2:
                datagram.insert(random.below(datagram.size() + 1),
                                QByteArray(1, static_cast<char>(random.below(256))));
                break;
            case 3:
                datagram += datagram;
                break;
            default:
                datagram.resize(random.below(400));
                for (char& byte : datagram) {
                    byte = static_cast<char>(random.below(256));
                }
        }
        site.receive(0, datagram, asker, now);
        now += 5000;  // past any restart silence a mutated command may have caused
        for (const CSimOutgoing& outgoing : site.takeDue(now)) {
            QCOMPARE(outgoing.to, asker);
            QCOMPARE(outgoing.gateway, 0);
            QVERIFY(outgoing.bytes.endsWith("\r\n"));
        }
    }
    QVERIFY(site.counters().invalid > 0);
    QVERIFY(site.counters().replies > 0);
}

QTEST_GUILESS_MAIN(TestSimCommand)
#include "TestSimCommand.moc"
