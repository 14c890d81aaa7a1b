#include "core/address/CSettingAddress.h"
#include "core/protocol/CCommands.h"

#include <QTest>

// A setting's address read from text the two ways (as the program reads replies, and as a
// device reads commands) and printed in every form the protocol uses.
class TestSettingAddress : public QObject {
    Q_OBJECT

private slots:
    void roundTrips_data();
    void roundTrips();
};

namespace {

// "port|group|key|index", or empty for no address.
QByteArray parts(const std::optional<CSettingAddress>& address) {
    if (!address) {
        return {};
    }
    return address->port + '|' + address->group + '|' + address->key + '|' + address->index;
}

}  // namespace

void TestSettingAddress::roundTrips_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("read");        // as a reply's path
    QTest::addColumn<QByteArray>("wellFormed");  // as a device reads a command's path
    QTest::addColumn<QByteArray>("printed");     // the reply's reading, printed again
    QTest::addColumn<QByteArray>("planPath");    // the same, as plan elements
    QTest::addColumn<QByteArray>("gatewaySet");  // the same, set to V by the gateway view
    QTest::addColumn<QByteArray>("busSet");      // the same, set to V on UID 12 by the upload
    using Text = const QByteArray&;
    const auto row = [](const char* name, Text text, Text read, Text wellFormed, Text printed,
                        Text plan, Text gateway, Text bus) {
        QTest::newRow(name) << text << read << wellFormed << printed << plan << gateway << bus;
    };
    row("key", "NAME", "||NAME|", "||NAME|", "NAME", "/NAME", "&NAME=V;", "#UID12.NAME=V");
    row("group and key", "NETWORK.DHCP", "|NETWORK|DHCP|", "|NETWORK|DHCP|", "NETWORK.DHCP",
        "/NETWORK/DHCP", "&NETWORK.DHCP=V;", "#UID12.NETWORK.DHCP=V");
    row("port and key", "A.ALIAS", "A||ALIAS|", "A||ALIAS|", "A.ALIAS", "/PORT[@P='A']/ALIAS",
        "&A.ALIAS=V;", "#UID12.A.ALIAS=V");
    row("port, group, key and index", "A.LED.PRESET.3", "A|LED|PRESET|3", "A|LED|PRESET|3",
        "A.LED.PRESET.3", "/PORT[@P='A']/LED/PRESET[@A='3']", "&A.LED.PRESET.3=V;",
        "#UID12.A.LED.PRESET.3=V");
    row("group, key and index", "TELNET.LOGIN.2", "|TELNET|LOGIN|2", "|TELNET|LOGIN|2",
        "TELNET.LOGIN.2", "/TELNET/LOGIN[@A='2']", "&TELNET.LOGIN.2=V;", "#UID12.TELNET.LOGIN.2=V");
    row("one letter first is always the port", "X.Y.Z", "X|Y|Z|", "X|Y|Z|", "X.Y.Z",
        "/PORT[@P='X']/Y/Z", "&X.Y.Z=V;", "#UID12.X.Y.Z=V");
    // A reply reads the word before the key as the group; a command's trailing number is an
    // index even without a group.
    row("index without group", "KEY.1", "|KEY|1|", "||KEY|1", "KEY.1", "/KEY/1", "&KEY.1=V;",
        "#UID12.KEY.1=V");
    row("port, key and index", "A.KEY.7", "A|KEY|7|", "A||KEY|7", "A.KEY.7", "/PORT[@P='A']/KEY/7",
        "&A.KEY.7=V;", "#UID12.A.KEY.7=V");
    row("one-letter port only", "A", {}, {}, {}, {}, {}, {});
    row("empty", "", {}, {}, {}, {}, {}, {});
    row("only dots", "...", {}, {}, {}, {}, {}, {});
    row("empty components", "..NETWORK..DHCP.", "|NETWORK|DHCP|", {}, "NETWORK.DHCP",
        "/NETWORK/DHCP", "&NETWORK.DHCP=V;", "#UID12.NETWORK.DHCP=V");
    row("trailing dot", "NAME.", "||NAME|", {}, "NAME", "/NAME", "&NAME=V;", "#UID12.NAME=V");
    row("later components ignored", "GRP.KEY.IDX.W.V", "|GRP|KEY|IDX", {}, "GRP.KEY.IDX",
        "/GRP/KEY[@A='IDX']", "&GRP.KEY.IDX=V;", "#UID12.GRP.KEY.IDX=V");
    row("keypad status path", "1.2.3.LED.VALUE", "1|2|3|LED", {}, "1.2.3.LED",
        "/PORT[@P='1']/2/3[@A='LED']", "&1.2.3.LED=V;", "#UID12.1.2.3.LED=V");
    row("lower case", "a.serial.type", "a|serial|type|", {}, "a.serial.type",
        "/PORT[@P='a']/serial/type", "&a.serial.type=V;", "#UID12.a.serial.type=V");
    row("name starting with a digit", "9KEY", "||9KEY|", {}, "9KEY", "/9KEY", "&9KEY=V;",
        "#UID12.9KEY=V");
    row("index of ten digits", "LED.PRESET.1234567890", "|LED|PRESET|1234567890", {},
        "LED.PRESET.1234567890", "/LED/PRESET[@A='1234567890']", "&LED.PRESET.1234567890=V;",
        "#UID12.LED.PRESET.1234567890=V");
    row("three names", "LED.PRESET.LEVEL", "|LED|PRESET|LEVEL", {}, "LED.PRESET.LEVEL",
        "/LED/PRESET[@A='LEVEL']", "&LED.PRESET.LEVEL=V;", "#UID12.LED.PRESET.LEVEL=V");
    row("bytes above 0x7F", "\xC4RA.N\xC4ME", "|\xC4RA|N\xC4ME|", {}, "\xC4RA.N\xC4ME",
        "/\xC4RA/N\xC4ME", "&\xC4RA.N\xC4ME=V;", "#UID12.\xC4RA.N\xC4ME=V");
    row("a quote", "G'.K", "|G'|K|", {}, "G'.K", "/G'/K", "&G'.K=V;", "#UID12.G'.K=V");
    row("blank", "A. .K", "A| |K|", {}, "A. .K", "/PORT[@P='A']/ /K", "&A. .K=V;",
        "#UID12.A. .K=V");
}

void TestSettingAddress::roundTrips() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, read);

    const std::optional<CSettingAddress> address = CSettingAddress::parse(text);
    QCOMPARE(parts(address), read);
    const std::optional<CSettingAddress> wellFormed = CSettingAddress::parseWellFormed(text);
    QTEST(parts(wellFormed), "wellFormed");
    if (wellFormed) {
        QCOMPARE(CSettingAddress::parseWellFormed(wellFormed->text()), wellFormed);
    }
    if (!address) {
        return;
    }
    QTEST(address->text(), "printed");
    QTEST(address->planPath(), "planPath");
    QTEST(CCommands::gatewaySetting(*address, "V", ";"), "gatewaySet");
    QTEST(CCommands::busDeviceSetting(12, *address, "V", {}), "busSet");
    // What is printed reads back as the same address.
    QCOMPARE(CSettingAddress::parse(address->text()), address);
}

QTEST_APPLESS_MAIN(TestSettingAddress)
#include "TestSettingAddress.moc"
