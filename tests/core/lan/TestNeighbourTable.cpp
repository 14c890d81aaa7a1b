#include "core/lan/CMacAddress.h"
#include "core/lan/CNeighbourTable.h"
#include "core/transport/CIpv4Address.h"
#include "support/TestSupport.h"

#include <QTest>

namespace {

quint32 address(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

const char* const kHeading =
    "IP address       HW type     Flags       HW address            Mask     Device\n";

}  // namespace

// Reading the kernel's neighbour table: which lines are hosts that answered, and how a
// hardware address is written in the scan list.
class TestNeighbourTable : public QObject {
    Q_OBJECT

private slots:
    void macText_data();
    void macText();
    void macFromText_data();
    void macFromText();
    void lines_data();
    void lines();
    void fileWithEveryKindOfLine();
    void unreadableFileIsAnEmptyTable();
};

void TestNeighbourTable::macText_data() {
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("dashes, lower case")
        << QByteArray("00-1a-2b-3c-4d-5e") << QByteArray("[00:1A:2B:3C:4D:5E]");
    QTest::newRow("colons") << QByteArray("02:1a:2b:3c:4d:5e") << QByteArray("[02:1A:2B:3C:4D:5E]");
    QTest::newRow("all ones") << QByteArray("ff:ff:ff:ff:ff:ff")
                              << QByteArray("[FF:FF:FF:FF:FF:FF]");
    QTest::newRow("leading zeros kept")
        << QByteArray("01:02:03:0a:0b:00") << QByteArray("[01:02:03:0A:0B:00]");
}

void TestNeighbourTable::macText() {
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, shown);
    const std::optional<CMacAddress> mac = CMacAddress::fromText(written);
    QVERIFY(mac.has_value());
    QCOMPARE(mac->bracketedText(), shown);
}

void TestNeighbourTable::macFromText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("six pairs") << QByteArray("00:1a:2b:3c:4d:5e") << true;
    QTest::newRow("five pairs") << QByteArray("00:1a:2b:3c:4d") << false;
    QTest::newRow("seven pairs") << QByteArray("00:1a:2b:3c:4d:5e:6f") << false;
    QTest::newRow("mixed separators") << QByteArray("00:1a-2b:3c:4d:5e") << false;
    QTest::newRow("not hex") << QByteArray("00:1a:2b:3c:4d:5g") << false;
    QTest::newRow("single digits") << QByteArray("0:1a:2b:3c:4d:5e:") << false;
    QTest::newRow("dots") << QByteArray("00.1a.2b.3c.4d.5e") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("NUL inside") << QByteArray("00:1a:2b\0003c:4d:5e", 17) << false;
}

void TestNeighbourTable::macFromText() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QCOMPARE(CMacAddress::fromText(text).has_value(), valid);
}

void TestNeighbourTable::lines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("isEntry");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QByteArray>("mac");

    QTest::newRow("answered") << QByteArray("10.1.2.3 0x1 0x2 02:1a:2b:3c:4d:5e * eth0") << true
                              << true << QByteArray("[02:1A:2B:3C:4D:5E]");
    QTest::newRow("set by hand") << QByteArray("10.1.2.3 0x1 0x6 02:1a:2b:3c:4d:5e * eth0") << true
                                 << true << QByteArray("[02:1A:2B:3C:4D:5E]");
    QTest::newRow("being resolved") << QByteArray("10.1.2.3 0x1 0x0 00:00:00:00:00:00 * eth0")
                                    << true << false << QByteArray("[00:00:00:00:00:00]");
    QTest::newRow("given up on, old address kept")
        << QByteArray("10.1.2.3 0x1 0x0 02:1a:2b:3c:4d:5e * eth0") << true << false
        << QByteArray("[02:1A:2B:3C:4D:5E]");
    QTest::newRow("complete flag without an address")
        << QByteArray("10.1.2.3 0x1 0x2 00:00:00:00:00:00 * eth0") << true << false
        << QByteArray("[00:00:00:00:00:00]");
    QTest::newRow("tabs and runs of blanks")
        << QByteArray("  10.1.2.3\t0x1   0x2\t02:1a:2b:3c:4d:5e  *  eth0  ") << true << true
        << QByteArray("[02:1A:2B:3C:4D:5E]");
    QTest::newRow("heading") << QByteArray(kHeading).trimmed() << false << false << QByteArray();
    QTest::newRow("device missing")
        << QByteArray("10.1.2.3 0x1 0x2 02:1a:2b:3c:4d:5e *") << false << false << QByteArray();
    QTest::newRow("address out of range")
        << QByteArray("10.1.2.256 0x1 0x2 02:1a:2b:3c:4d:5e * eth0") << false << false
        << QByteArray();
    QTest::newRow("not an address")
        << QByteArray("gateway 0x1 0x2 02:1a:2b:3c:4d:5e * eth0") << false << false << QByteArray();
    QTest::newRow("flags not a number")
        << QByteArray("10.1.2.3 0x1 up 02:1a:2b:3c:4d:5e * eth0") << false << false << QByteArray();
    QTest::newRow("other hardware type") << QByteArray("10.1.2.3 0x18 0x2 02:1a:2b:3c:4d:5e * eth0")
                                         << false << false << QByteArray();
    QTest::newRow("long hardware address")
        << QByteArray(
               "10.1.2.3 0x20 0x2 00:11:22:33:44:55:66:77:88:99:aa:bb:cc:dd:ee:ff:00:11:22:33 * "
               "ib0")
        << false << false << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << false << QByteArray();
    QTest::newRow("binary") << QByteArray("\x01\xff\x00 0x1", 7) << false << false << QByteArray();
}

void TestNeighbourTable::lines() {
    QFETCH(QByteArray, line);
    QFETCH(bool, isEntry);
    QFETCH(bool, answered);
    QFETCH(QByteArray, mac);

    const CNeighbourTable table = CNeighbourTable::parse(kHeading + line + "\n");
    QCOMPARE(table.entries().size(), isEntry ? 1 : 0);
    QCOMPARE(table.answeredHosts().size(), answered ? 1 : 0);
    if (isEntry) {
        const CNeighbourEntry& entry = table.entries().front();
        QCOMPARE(entry.address, address("10.1.2.3"));
        QCOMPARE(entry.mac.bracketedText(), mac);
        QCOMPARE(entry.hasAnswered(), answered);
        QVERIFY(!entry.device.isEmpty());
    }
}

void TestNeighbourTable::fileWithEveryKindOfLine() {
    const CNeighbourTable table =
        CNeighbourTable::readFile(testsupport::dataPath(QStringLiteral("lan/arp-mixed.txt")));
    QCOMPARE(table.entries().size(), 5);  // .2, .3, .4, .5 and .9; the rest are not entries
    const QHash<quint32, CMacAddress> answered = table.answeredHosts();
    QCOMPARE(answered.size(), 3);
    QCOMPARE(answered.value(address("10.77.1.2")).bracketedText(),
             QByteArray("[02:1A:2B:3C:4D:5E]"));
    QCOMPARE(answered.value(address("10.77.1.4")).bracketedText(),
             QByteArray("[AA:BB:CC:DD:EE:0F]"));
    QCOMPARE(answered.value(address("10.77.1.9")).bracketedText(),
             QByteArray("[02:00:00:00:00:09]"));
    QCOMPARE(table.entries().back().device, QByteArray("vlan2"));
    QVERIFY(!answered.contains(address("10.77.1.3")));
    QVERIFY(!answered.contains(address("10.77.1.5")));
    QVERIFY(!answered.contains(address("10.77.1.7")));
}

void TestNeighbourTable::unreadableFileIsAnEmptyTable() {
    const CNeighbourTable table = CNeighbourTable::readFile(
        testsupport::dataPath(QStringLiteral("lan/there-is-no-such-table.txt")));
    QVERIFY(table.entries().isEmpty());
    QVERIFY(CNeighbourTable::readFile(testsupport::dataPath(QStringLiteral("lan")))
                .entries()
                .isEmpty());
}

QTEST_GUILESS_MAIN(TestNeighbourTable)
#include "TestNeighbourTable.moc"
