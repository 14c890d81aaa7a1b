#include "core/protocol/CTrafficLine.h"
#include "core/transport/CIpv4Address.h"

#include <QTest>

// The traffic line is what the traffic view shows, the log keeps and the reply parser
// reads, so every byte of it matters.
class TestTrafficLine : public QObject {
    Q_OBJECT

private slots:
    void buildsTheLine_data();
    void buildsTheLine();
    void dottedAddresses_data();
    void dottedAddresses();
    void parsesDottedAddresses_data();
    void parsesDottedAddresses();
};

namespace {

quint32 address(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

}  // namespace

void TestTrafficLine::buildsTheLine_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("reply with CR LF")
        << QTime(14, 3, 9) << QByteArray("192.168.1.20") << QByteArray("&NAME=Lobby;\r\n")
        << QByteArray("[14:03:09] (192.168.1.20) &NAME=Lobby;");
    QTest::newRow("midnight, zero padded")
        << QTime(0, 0, 0) << QByteArray("10.0.0.1") << QByteArray("!NAME=A;")
        << QByteArray("[00:00:00] (10.0.0.1) !NAME=A;");
    QTest::newRow("last second of the day")
        << QTime(23, 59, 59) << QByteArray("255.255.255.255") << QByteArray("+UID12;")
        << QByteArray("[23:59:59] (255.255.255.255) +UID12;");
    QTest::newRow("first octet first") << QTime(9, 5, 1) << QByteArray("1.2.3.4") << QByteArray("x")
                                       << QByteArray("[09:05:01] (1.2.3.4) x");
    QTest::newRow("text after CR LF dropped")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("ABC\r\nDEF")
        << QByteArray("[10:00:00] (10.1.1.1) ABC");
    QTest::newRow("LF alone ends the text")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("ABC\nDEF")
        << QByteArray("[10:00:00] (10.1.1.1) ABC");
    QTest::newRow("CR alone ends the text")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("ABC\rDEF")
        << QByteArray("[10:00:00] (10.1.1.1) ABC");
    QTest::newRow("LF before CR") << QTime(10, 0, 0) << QByteArray("10.1.1.1")
                                  << QByteArray("AB\nC\rD")
                                  << QByteArray("[10:00:00] (10.1.1.1) AB");
    QTest::newRow("leading CR leaves no text")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("\r\n!NAME=X;")
        << QByteArray("[10:00:00] (10.1.1.1) ");
    QTest::newRow("no line end: all of it")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("&=?;")
        << QByteArray("[10:00:00] (10.1.1.1) &=?;");
    QTest::newRow("NUL and high bytes kept")
        << QTime(10, 0, 0) << QByteArray("10.1.1.1") << QByteArray("A\0B\xff", 4)
        << QByteArray("[10:00:00] (10.1.1.1) A\0B\xff", 26);
    QTest::newRow("three-digit octets")
        << QTime(12, 34, 56) << QByteArray("100.200.250.199") << QByteArray("!A.ALIAS=Hall;")
        << QByteArray("[12:34:56] (100.200.250.199) !A.ALIAS=Hall;");
}

void TestTrafficLine::buildsTheLine() {
    QFETCH(QTime, time);
    QFETCH(QByteArray, sender);
    QFETCH(QByteArray, datagram);
    QFETCH(QByteArray, line);

    QCOMPARE(CTrafficLine::build(time, address(sender.constData()), datagram), line);
}

void TestTrafficLine::dottedAddresses_data() {
    QTest::addColumn<quint32>("hostOrder");
    QTest::addColumn<QByteArray>("dotted");

    QTest::newRow("zero") << 0u << QByteArray("0.0.0.0");
    QTest::newRow("broadcast") << 0xFFFFFFFFu << QByteArray("255.255.255.255");
    QTest::newRow("private") << 0xC0A80114u << QByteArray("192.168.1.20");
    QTest::newRow("mixed widths") << 0x0A00FF09u << QByteArray("10.0.255.9");
}

void TestTrafficLine::dottedAddresses() {
    QFETCH(quint32, hostOrder);
    QFETCH(QByteArray, dotted);

    const quint32 networkOrder = CIpv4Address::fromHostOrder(hostOrder);
    QCOMPARE(CTrafficLine::dotted(networkOrder), dotted);
    QCOMPARE(CIpv4Address::toDotted(networkOrder), dotted);
    QCOMPARE(CIpv4Address::toHostOrder(networkOrder), hostOrder);
}

void TestTrafficLine::parsesDottedAddresses_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("hostOrder");

    QTest::newRow("address") << QByteArray("192.168.1.20") << true << 0xC0A80114u;
    QTest::newRow("broadcast") << QByteArray("255.255.255.255") << true << 0xFFFFFFFFu;
    QTest::newRow("octet too big") << QByteArray("192.168.1.256") << false << 0u;
    QTest::newRow("three parts") << QByteArray("10.0.1") << false << 0u;
    QTest::newRow("name") << QByteArray("gateway") << false << 0u;
    QTest::newRow("empty") << QByteArray() << false << 0u;
}

void TestTrafficLine::parsesDottedAddresses() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(quint32, hostOrder);

    bool ok = !valid;
    const quint32 parsed = CIpv4Address::fromDotted(text, &ok);
    QCOMPARE(ok, valid);
    QCOMPARE(CIpv4Address::toHostOrder(parsed), hostOrder);
}

QTEST_GUILESS_MAIN(TestTrafficLine)
#include "TestTrafficLine.moc"
