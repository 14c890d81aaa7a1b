#include "sim/CSimReplies.h"

#include <QTest>

namespace {

CSettingAddress path(const char* text) {
    return *CSettingAddress::parseWellFormed(text);
}

}  // namespace

// Every text the simulated site sends, byte for byte, from the one place that makes it;
// and the paths they carry, read and written alike.
class TestSimReplies : public QObject {
    Q_OBJECT

private slots:
    void buildsEveryReplyFamily_data();
    void buildsEveryReplyFamily();
    void pathReadsBackAsWritten_data();
    void pathReadsBackAsWritten();
};

void TestSimReplies::buildsEveryReplyFamily_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("expected");
    const CSimKeypadAddress led{2, 1, 3};
    const CSimKeypadAddress motor{1, 1, 2};
    QTest::newRow("gateway setting") << CSimReplies::gatewaySetting(path("NETWORK.DHCP"), "ENABLE")
                                     << QByteArray("!NETWORK.DHCP=ENABLE;\r\n");
    QTest::newRow("gateway name") << CSimReplies::gatewaySetting(path("NAME"), "Lobby")
                                  << QByteArray("!NAME=Lobby;\r\n");
    QTest::newRow("gateway port setting")
        << CSimReplies::gatewaySetting(path("A.SERIAL.TYPE"), "KVBUS")
        << QByteArray("!A.SERIAL.TYPE=KVBUS;\r\n");
    QTest::newRow("gateway indexed setting")
        << CSimReplies::gatewaySetting(path("TELNET.LOGIN.2"), "ENABLE")
        << QByteArray("!TELNET.LOGIN.2=ENABLE;\r\n");
    QTest::newRow("empty value") << CSimReplies::gatewaySetting(path("NAME"), "")
                                 << QByteArray("!NAME=;\r\n");
    QTest::newRow("device setting")
        << CSimReplies::deviceSetting(12, path("LED.PRESET.3"), "255.0.0")
        << QByteArray("!UID12.LED.PRESET.3=255.0.0;\r\n");
    QTest::newRow("device port setting")
        << CSimReplies::deviceSetting(5, path("A.LED.DISSOLVE"), "20")
        << QByteArray("!UID5.A.LED.DISSOLVE=20;\r\n");
    QTest::newRow("UID announcement")
        << CSimReplies::uidAnnouncement(12) << QByteArray("+UID12;\r\n");
    QTest::newRow("serial announcement")
        << CSimReplies::serialAnnouncement(812) << QByteArray("+SN812;\r\n");
    QTest::newRow("LED value") << CSimReplies::ledValue(led, 10, 20, 30, 40)
                               << QByteArray("!2.1.3.LED.VALUE=10.20.30.40\r\n");
    QTest::newRow("LED colour") << CSimReplies::ledColor(led, 120, 240, 60)
                                << QByteArray("!2.1.3.LED.COLOR=120.240.60\r\n");
    QTest::newRow("LED status") << CSimReplies::ledStatus(led, 100, 2700)
                                << QByteArray("!2.1.3.LED.STATUS=100.2700\r\n");
    QTest::newRow("motor position")
        << CSimReplies::motorPosition(motor, 3705) << QByteArray("!1.1.2.MOTOR.POSITION=37.05\r\n");
    QTest::newRow("motor at the top")
        << CSimReplies::motorPosition(motor, 0) << QByteArray("!1.1.2.MOTOR.POSITION=0.00\r\n");
    QTest::newRow("motor at the bottom") << CSimReplies::motorPosition(motor, 10000)
                                         << QByteArray("!1.1.2.MOTOR.POSITION=100.00\r\n");
}

void TestSimReplies::buildsEveryReplyFamily() {
    QFETCH(QByteArray, reply);
    QTEST(reply, "expected");
}

void TestSimReplies::pathReadsBackAsWritten_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("index");
    QTest::newRow("key") << QByteArray("NAME") << QByteArray() << QByteArray() << QByteArray("NAME")
                         << QByteArray();
    QTest::newRow("group and key") << QByteArray("NETWORK.DHCP") << QByteArray()
                                   << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray();
    QTest::newRow("indexed") << QByteArray("LED.PRESET.100") << QByteArray() << QByteArray("LED")
                             << QByteArray("PRESET") << QByteArray("100");
    QTest::newRow("port and key") << QByteArray("B.ALIAS") << QByteArray("B") << QByteArray()
                                  << QByteArray("ALIAS") << QByteArray();
    QTest::newRow("everything") << QByteArray("A.LED.PRESET.2") << QByteArray("A")
                                << QByteArray("LED") << QByteArray("PRESET") << QByteArray("2");
    QTest::newRow("one-letter group after a port")
        << QByteArray("X.Y.Z") << QByteArray("X") << QByteArray("Y") << QByteArray("Z")
        << QByteArray();
}

void TestSimReplies::pathReadsBackAsWritten() {
    QFETCH(QByteArray, text);
    const auto parsed = CSettingAddress::parseWellFormed(text);
    QVERIFY(parsed);
    QTEST(parsed->port, "port");
    QTEST(parsed->group, "group");
    QTEST(parsed->key, "key");
    QTEST(parsed->index, "index");
    QCOMPARE(parsed->text(), text);
}

QTEST_GUILESS_MAIN(TestSimReplies)
#include "TestSimReplies.moc"
