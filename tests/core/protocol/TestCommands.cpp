#include "core/protocol/CCommands.h"
#include "core/protocol/CTrafficRendering.h"

#include <QTest>

// Command texts byte for byte, and the rendering of traffic lines.
class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void rendering_data();
    void rendering();
};

void TestCommands::texts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("name query") << CCommands::gatewayNameQuery() << QByteArray("&NAME=?;");
    QTest::newRow("full query") << CCommands::gatewayFullQuery() << QByteArray("&=?;");
    QTest::newRow("restart") << CCommands::gatewayRestart() << QByteArray("&VERSION_HW=RESET;");
    QTest::newRow("identify") << CCommands::gatewayIdentify() << QByteArray("&=IDENTIFY");
    QTest::newRow("setting key") << CCommands::gatewaySetting({{}, {}, "NAME", {}}, "Lobby", ";")
                                 << QByteArray("&NAME=Lobby;");
    QTest::newRow("setting group, no terminator")
        << CCommands::gatewaySetting({{}, "NETWORK", "DHCP", {}}, "ENABLE", {})
        << QByteArray("&NETWORK.DHCP=ENABLE");
    QTest::newRow("setting port group key index")
        << CCommands::gatewaySetting({"A", "SERIAL", "TYPE", "2"}, "KVBUS", ";")
        << QByteArray("&A.SERIAL.TYPE.2=KVBUS;");
    QTest::newRow("upload's full query")
        << CCommands::gatewayFullQueryUnterminated() << QByteArray("&=?");
    QTest::newRow("upload's setting")
        << CCommands::gatewaySetting({"A", "SERIAL", "TYPE", {}}, "KVBUS", {})
        << QByteArray("&A.SERIAL.TYPE=KVBUS");
    QTest::newRow("device setting, upload")
        << CCommands::busDeviceSetting(12, {"A", "LED", "PRESET", "3"}, "255.0.0", {})
        << QByteArray("#UID12.A.LED.PRESET.3=255.0.0");
    QTest::newRow("device setting without port")
        << CCommands::busDeviceSetting(12, {{}, "MOTOR", "MODE", {}}, "FRONT", {})
        << QByteArray("#UID12.MOTOR.MODE=FRONT");
    QTest::newRow("device setting key only")
        << CCommands::busDeviceSetting(7, {{}, {}, "ALIAS", {}}, "Desk", ";")
        << QByteArray("#UID7.ALIAS=Desk;");
    QTest::newRow("gateway setting query")
        << CCommands::gatewaySettingQuery({{}, {}, "NAME", {}}) << QByteArray("&NAME=?;");
    QTest::newRow("device setting query")
        << CCommands::busDeviceSettingQuery(5, {"A", "LED", "DISSOLVE", {}})
        << QByteArray("#UID5.A.LED.DISSOLVE=?;");
    QTest::newRow("setting empty value")
        << CCommands::gatewaySetting({{}, {}, "NAME", {}}, {}, ";") << QByteArray("&NAME=;");
    QTest::newRow("register") << CCommands::busRegister() << QByteArray("#UID=REGISTER;");
    QTest::newRow("assign next") << CCommands::busAssignNext(12) << QByteArray("#UID=12;");
    QTest::newRow("assign next lower")
        << CCommands::busAssignNextLower(12) << QByteArray("#uid=12;");
    QTest::newRow("assign serial")
        << CCommands::busAssignSerial(4000000000u, 7) << QByteArray("#SN4000000000.UID=7;");
    QTest::newRow("device query") << CCommands::busDeviceQuery(5) << QByteArray("#UID5=?;");
    QTest::newRow("device query lower")
        << CCommands::busDeviceQueryLower(5) << QByteArray("#uid5=?;");
    QTest::newRow("identify uid") << CCommands::busIdentifyUid(5) << QByteArray("#UID5=IDENTIFY;");
    QTest::newRow("identify serial")
        << CCommands::busIdentifySerial(812) << QByteArray("#SN812=IDENTIFY;");
    QTest::newRow("led preset") << CCommands::ledPreset(12, 3, "255.0.0")
                                << QByteArray("#UID12.LED.PRESET.3=255.0.0");
}

void TestCommands::texts() {
    QFETCH(QByteArray, text);
    QTEST(text, "expected");
}

void TestCommands::rendering_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<bool>("showSender");
    QTest::addColumn<QByteArray>("shown");
    const QByteArray line = "[14:03:09] (192.168.1.20) &NAME=Lobby;";
    QTest::newRow("both") << line << true << true << line;
    QTest::newRow("no time") << line << false << true << QByteArray(" (192.168.1.20) &NAME=Lobby;");
    QTest::newRow("no sender") << line << true << false << QByteArray("[14:03:09]  &NAME=Lobby;");
    QTest::newRow("neither") << line << false << false << QByteArray("  &NAME=Lobby;");
    QTest::newRow("plain line unchanged")
        << QByteArray("->Upload done") << false << false << QByteArray("->Upload done");
    QTest::newRow("upload line keeps its plan path")
        << QByteArray("->Upload object match: //Device_Configuration/DEVICE[@UID='12']/ALIAS ->A")
        << false << false
        << QByteArray("->Upload object match: //Device_Configuration/DEVICE[@UID='12']/ALIAS ->A");
    QTest::newRow("upload line keeps its parentheses")
        << QByteArray("->Upload object match: Hall (east) ->Hall (east)") << true << false
        << QByteArray("->Upload object match: Hall (east) ->Hall (east)");
    QTest::newRow("unclosed bracket")
        << QByteArray("[14:03 rest") << false << true << QByteArray("[14:03 rest");
}

void TestCommands::rendering() {
    QFETCH(QByteArray, line);
    QFETCH(bool, showTime);
    QFETCH(bool, showSender);
    QTEST(CTrafficRendering::render(line, showTime, showSender), "shown");
}

QTEST_APPLESS_MAIN(TestCommands)
#include "TestCommands.moc"
