#include "core/plan/CReplySplitter.h"

#include <QTest>

// The splitter's results for every reply form, byte for byte.
class TestReplySplitter : public QObject {
    Q_OBJECT

private slots:
    void splits_data();
    void splits();
    void senderIsFirstParenthesisPair_data();
    void senderIsFirstParenthesisPair();
};

void TestReplySplitter::splits_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QByteArray>("value");

    const QByteArray ip = "192.168.1.20";
    auto row = [](const char* name, const QByteArray& text) {
        return &(QTest::newRow(name) << QByteArray("[10:00:00] (192.168.1.20) " + text));
    };
    *row("key", "!NAME=Lobby;") << 1 << ip << QByteArray() << QByteArray() << QByteArray("NAME")
                                << QByteArray() << QByteArray("Lobby");
    *row("group.key", "!NETWORK.DHCP=ENABLE;")
        << 1 << ip << QByteArray() << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray()
        << QByteArray("ENABLE");
    *row("port.group.key", "!A.SERIAL.TYPE=NONE;")
        << 1 << ip << QByteArray("A") << QByteArray("SERIAL") << QByteArray("TYPE") << QByteArray()
        << QByteArray("NONE");
    *row("port.key", "!A.ALIAS=Hall;") << 1 << ip << QByteArray("A") << QByteArray()
                                       << QByteArray("ALIAS") << QByteArray() << QByteArray("Hall");
    *row("device indexed", "!UID12.LED.PRESET.3=255.0.0;")
        << 2 << QByteArray("12") << QByteArray() << QByteArray("LED") << QByteArray("PRESET")
        << QByteArray("3") << QByteArray("255.0.0");
    *row("components after index ignored", "!GRP.KEY.IDX.W.V=1;")
        << 1 << ip << QByteArray() << QByteArray("GRP") << QByteArray("KEY") << QByteArray("IDX")
        << QByteArray("1");
    *row("one-character first component is a port", "!X.Y.Z=1;")
        << 1 << ip << QByteArray("X") << QByteArray("Y") << QByteArray("Z") << QByteArray()
        << QByteArray("1");
    *row("empty value", "!NAME=;") << 1 << ip << QByteArray() << QByteArray() << QByteArray("NAME")
                                   << QByteArray() << QByteArray();
    *row("no terminator", "!NAME=Lobby")
        << 1 << ip << QByteArray() << QByteArray() << QByteArray("NAME") << QByteArray()
        << QByteArray("Lobby");
    *row("semicolons removed everywhere", "!NA;ME=Lo;bby;;")
        << 1 << ip << QByteArray() << QByteArray() << QByteArray("NAME") << QByteArray()
        << QByteArray("Lobby");
    *row("value keeps later equals signs", "!NAME=a=b;")
        << 1 << ip << QByteArray() << QByteArray() << QByteArray("NAME") << QByteArray()
        << QByteArray("a=b");
    *row("empty components skipped", "!..NETWORK..DHCP=ON;")
        << 1 << ip << QByteArray() << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray()
        << QByteArray("ON");
    *row("device port", "!UID5.B.MOTOR.SPEED=3;")
        << 2 << QByteArray("5") << QByteArray("B") << QByteArray("MOTOR") << QByteArray("SPEED")
        << QByteArray() << QByteArray("3");
    *row("query echo", "!NAME=?;") << 0 << QByteArray() << QByteArray() << QByteArray()
                                   << QByteArray() << QByteArray() << QByteArray();
    *row("keypad status", "!1.2.3.LED.VALUE=10")
        << 0 << ip << QByteArray() << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    *row("no equals", "!XYZ") << 0 << ip << QByteArray() << QByteArray() << QByteArray()
                              << QByteArray() << QByteArray();
    *row("only a port", "!A=1;") << 0 << ip << QByteArray("A") << QByteArray() << QByteArray()
                                 << QByteArray() << QByteArray("1");
    *row("device without path", "!UID5=1;") << 3 << QByteArray() << QByteArray() << QByteArray()
                                            << QByteArray() << QByteArray() << QByteArray();
}

void TestReplySplitter::splits() {
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    const CSplitReply reply = CReplySplitter::split(line);
    QCOMPARE(static_cast<int>(reply.kind), kind);
    if (kind == CSplitReply::GatewaySetting || kind == CSplitReply::DeviceSetting) {
        QTEST(reply.identifier, "identifier");
        QTEST(reply.address.port, "port");
        QTEST(reply.address.group, "group");
        QTEST(reply.address.key, "key");
        QTEST(reply.address.index, "index");
        QTEST(reply.value, "value");
        QCOMPARE(reply.sender, QByteArray("192.168.1.20"));
    }
}

void TestReplySplitter::senderIsFirstParenthesisPair_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("sender");
    QTest::newRow("ordinary") << QByteArray("[1] (10.0.0.1) !A.B=(x)") << QByteArray("10.0.0.1");
    QTest::newRow("unclosed") << QByteArray("[1] (10.0.0.1") << QByteArray("10.0.0.1");
    QTest::newRow("none") << QByteArray("no parenthesis") << QByteArray();
    QTest::newRow("empty") << QByteArray("() x") << QByteArray();
}

void TestReplySplitter::senderIsFirstParenthesisPair() {
    QFETCH(QByteArray, line);
    QTEST(CReplySplitter::senderOf(line), "sender");
}

QTEST_APPLESS_MAIN(TestReplySplitter)
#include "TestReplySplitter.moc"
