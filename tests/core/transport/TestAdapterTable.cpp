#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"
#include "support/CTestLan.h"

#include "support/CRecordingNotifier.h"

#include <QTest>

Q_DECLARE_METATYPE(CAdapterCandidate)

namespace {

using Kind = CAdapterCandidate::Kind;

CAdapterCandidate adapter(const QString& name, Kind kind, bool up, QList<quint32> addresses,
                          int index = 0) {
    CAdapterCandidate made;
    made.name = name;
    made.kind = kind;
    made.up = up;
    made.ipv4Addresses = std::move(addresses);
    made.interfaceIndex = index;
    return made;
}

quint32 ip(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

CAdapterCandidate wired(const QString& name, const char* address, int index = 0) {
    return adapter(name, Kind::Ethernet, true, {ip(address)}, index);
}

// A bridge, veth, tap or docker0: Ethernet to the system, with no cable behind it.
CAdapterCandidate virtualLink(const QString& name, const char* address) {
    CAdapterCandidate made = adapter(name, Kind::Ethernet, true, {ip(address)});
    made.isVirtual = true;
    return made;
}

CAdapterCandidate wireless(const QString& name, const char* address) {
    return adapter(name, Kind::Wireless, true, {ip(address)});
}

const QString kNone;
const QString kNoValid = QStringLiteral("No valid Ethernet interfaces detected");
const QString kNoWired = QStringLiteral(
    "No wired Ethernet interfaces detected\nIt is highly recommended to use wired connections not "
    "wireless");

}  // namespace

// Which adapters the program offers, which it selects, and what it tells the user.
class TestAdapterTable : public QObject {
    Q_OBJECT

private slots:
    void appliesTheRules_data();
    void appliesTheRules();
    void keepsTheEntryFields();
    void selectsOnlyExistingEntries();
    void emptyTableBindsToAnyAddress();
    void demoAdapterIsAddedAndSelected();
    void enumerateTellsTheUserOnce();
    void findsTheTestLanAdapters();
};

void TestAdapterTable::appliesTheRules_data() {
    QTest::addColumn<QList<CAdapterCandidate>>("candidates");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("message");

    QTest::newRow("one wired") << QList<CAdapterCandidate>{wired("eth0", "192.168.1.10")}
                               << QStringList{"eth0"} << 0 << kNone;
    QTest::newRow("first wired selected after wireless")
        << QList<CAdapterCandidate>{wireless("wlan0", "192.168.1.11"),
                                    wired("eth0", "192.168.1.10"), wired("eth1", "10.0.0.1")}
        << QStringList{"wlan0", "eth0", "eth1"} << 1 << kNone;
    QTest::newRow("only wireless: first one and the warning")
        << QList<CAdapterCandidate>{wireless("wlan0", "192.168.1.11"),
                                    wireless("wlan1", "192.168.2.11")}
        << QStringList{"wlan0", "wlan1"} << 0 << kNoWired;
    QTest::newRow("nothing at all") << QList<CAdapterCandidate>{} << QStringList{} << 0 << kNoValid;
    QTest::newRow("down, loopback and other kinds never appear")
        << QList<CAdapterCandidate>{adapter("eth0", Kind::Ethernet, false, {ip("10.0.0.1")}),
                                    adapter("lo", Kind::Loopback, true, {ip("127.0.0.1")}),
                                    adapter("tun0", Kind::Other, true, {ip("10.8.0.1")}),
                                    adapter("wlan0", Kind::Wireless, false, {ip("10.0.0.2")})}
        << QStringList{} << 0 << kNoValid;
    QTest::newRow("without IPv4 there is nothing to bind to")
        << QList<CAdapterCandidate>{adapter("eth0", Kind::Ethernet, true, {}),
                                    wired("eth1", "10.0.0.1")}
        << QStringList{"eth1"} << 0 << kNone;
    QList<CAdapterCandidate> eleven;
    QStringList firstTen;
    for (int i = 0; i < 10; ++i) {
        eleven.append(wireless(QStringLiteral("wlan%1").arg(i), "10.0.0.1"));
        firstTen.append(QStringLiteral("wlan%1").arg(i));
    }
    eleven.append(wired("eth0", "10.0.1.1"));
    QTest::newRow("an eleventh usable adapter is ignored, even wired")
        << eleven << firstTen << 0 << kNoWired;
    QList<CAdapterCandidate> elevenWithJunk = {
        adapter("lo", Kind::Loopback, true, {ip("127.0.0.1")})};
    elevenWithJunk += eleven.mid(0, 9);
    elevenWithJunk.append(wired("eth0", "10.0.1.1"));
    QTest::newRow("unusable ones do not count toward ten")
        << elevenWithJunk << firstTen.mid(0, 9) + QStringList{"eth0"} << 9 << kNone;
    QTest::newRow("a physical wired adapter before bridges")
        << QList<CAdapterCandidate>{virtualLink("docker0", "172.17.0.1"),
                                    virtualLink("br-1", "172.18.0.1"), wired("eth0", "10.0.0.1")}
        << QStringList{"eth0", "docker0", "br-1"} << 0 << kNone;
    QTest::newRow("a bridge is no wired adapter beside Wi-Fi")
        << QList<CAdapterCandidate>{virtualLink("docker0", "172.17.0.1"),
                                    wireless("wlan0", "192.168.1.11")}
        << QStringList{"wlan0", "docker0"} << 0 << kNoWired;
    QTest::newRow("only virtual links, as on a test LAN")
        << QList<CAdapterCandidate>{virtualLink("vlan1", "10.77.1.1"),
                                    virtualLink("vlan2", "10.77.2.1")}
        << QStringList{"vlan1", "vlan2"} << 0 << kNone;
    QList<CAdapterCandidate> crowd;
    QStringList crowdNames{"eth0"};
    for (int i = 0; i < 12; ++i) {
        crowd.append(virtualLink(QStringLiteral("veth%1").arg(i), "172.17.0.1"));
        if (i < 9) {
            crowdNames.append(QStringLiteral("veth%1").arg(i));
        }
    }
    crowd.append(wired("eth0", "10.0.0.1"));
    QTest::newRow("virtual links do not crowd a physical one out")
        << crowd << crowdNames << 0 << kNone;
    const QString longName = QStringLiteral("Intel(R) Ethernet Connection (7) I219-LM #2");
    QTest::newRow("name cut to 30 characters")
        << QList<CAdapterCandidate>{wired(longName, "10.0.0.1")} << QStringList{longName.left(30)}
        << 0 << kNone;
    const QString thirty(30, QLatin1Char('N'));
    QTest::newRow("30 characters stay")
        << QList<CAdapterCandidate>{wired(thirty, "10.0.0.1")} << QStringList{thirty} << 0 << kNone;
}

void TestAdapterTable::appliesTheRules() {
    QFETCH(QList<CAdapterCandidate>, candidates);
    QFETCH(QStringList, names);
    QFETCH(int, selected);
    QFETCH(QString, message);

    const CAdapterTable table = CAdapterTable::fromCandidates(candidates);
    QStringList tableNames;
    for (const CAdapterEntry& entry : table.entries()) {
        tableNames.append(entry.name);
    }
    QCOMPARE(tableNames, names);
    QCOMPARE(table.count(), names.size());
    QCOMPARE(table.selected(), selected);
    QCOMPARE(table.startupMessage(), message);
}

void TestAdapterTable::keepsTheEntryFields() {
    const CAdapterTable table = CAdapterTable::fromCandidates(
        {adapter("eth0", Kind::Ethernet, true, {ip("192.168.1.10"), ip("10.1.1.1")}, 7),
         wireless("wlan0", "192.168.5.5")});
    QCOMPARE(table.count(), 2);
    const CAdapterEntry wiredEntry = table.entries()[0];
    QCOMPARE(wiredEntry.address, ip("192.168.1.10"));  // the first IPv4 address
    QCOMPARE(wiredEntry.type, CAdapterEntry::kTypeEthernet);
    QCOMPARE(wiredEntry.interfaceIndex, 7);
    QCOMPARE(wiredEntry.broadcastAddress, CIpv4Address::kBroadcast);
    QCOMPARE(table.entries()[1].type, CAdapterEntry::kTypeWireless);
    QCOMPARE(table.selectedEntry().name, QStringLiteral("eth0"));
}

void TestAdapterTable::selectsOnlyExistingEntries() {
    CAdapterTable table =
        CAdapterTable::fromCandidates({wired("eth0", "10.0.0.1"), wired("eth1", "10.0.1.1")});
    QVERIFY(table.select(1));
    QCOMPARE(table.selectedEntry().name, QStringLiteral("eth1"));
    QVERIFY(!table.select(2));
    QVERIFY(!table.select(-1));
    QCOMPARE(table.selected(), 1);
}

void TestAdapterTable::emptyTableBindsToAnyAddress() {
    const CAdapterTable table = CAdapterTable::fromCandidates({});
    QCOMPARE(table.selectedEntry().address, 0u);
    QCOMPARE(table.selectedEntry().interfaceIndex, 0);
    QCOMPARE(table.selectedEntry().broadcastAddress, CIpv4Address::kBroadcast);
}

void TestAdapterTable::demoAdapterIsAddedAndSelected() {
    CAdapterTable table = CAdapterTable::fromCandidates({wired("eth0", "10.0.0.1")});
    table.addDemoAdapter();
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.selected(), 1);
    QCOMPARE(table.selectedEntry().address, ip("127.0.0.1"));
    QCOMPARE(table.selectedEntry().broadcastAddress, ip("127.255.255.255"));

    QList<CAdapterCandidate> ten;
    for (int i = 0; i < 10; ++i) {
        ten.append(wired(QStringLiteral("eth%1").arg(i), "10.0.0.1"));
    }
    CAdapterTable full = CAdapterTable::fromCandidates(ten);
    full.addDemoAdapter();
    QCOMPARE(full.count(), CAdapterTable::kMaxEntries);
    QCOMPARE(full.selectedEntry().address, ip("127.0.0.1"));
}

void TestAdapterTable::enumerateTellsTheUserOnce() {
    // In a namespace of its own this program has loopback only: no usable adapter.
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    CRecordingNotifier notifier;
    const CAdapterTable table = CAdapterTable::enumerate(notifier);
    QCOMPARE(table.count(), 0);
    QCOMPARE(notifier.messages(), QStringList{kNoValid});
}

void TestAdapterTable::findsTheTestLanAdapters() {
    const QString why = CTestLan::isolateProcess() + CTestLan::whyNoLan();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    CTestLan lan;
    QVERIFY2(lan.addLan(1) && lan.addHost(1, 2) && lan.addLan(2) && lan.addHost(2, 2),
             qPrintable(lan.error()));
    CRecordingNotifier notifier;
    const CAdapterTable table = CAdapterTable::enumerate(notifier);
    // The bridges carry the addresses; their veth ports have none and are left out.
    QCOMPARE(table.count(), 2);
    QList<quint32> addresses;
    for (const CAdapterEntry& entry : table.entries()) {
        addresses.append(entry.address);
        QCOMPARE(entry.type, CAdapterEntry::kTypeEthernet);
        QCOMPARE(entry.interfaceIndex, entry.address == CTestLan::programAddress(1)
                                           ? lan.interfaceIndex(1)
                                           : lan.interfaceIndex(2));
    }
    std::sort(addresses.begin(), addresses.end(), [](quint32 a, quint32 b) {
        return CIpv4Address::toHostOrder(a) < CIpv4Address::toHostOrder(b);
    });
    QCOMPARE(addresses, (QList<quint32>{CTestLan::programAddress(1), CTestLan::programAddress(2)}));
    QVERIFY(notifier.messages().isEmpty());
}

QTEST_GUILESS_MAIN(TestAdapterTable)
#include "TestAdapterTable.moc"
