#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "gui/views/CDestinationList.h"

#include <QTest>

using Gateway = CDestinationList::Gateway;
using Entry = CDestinationList::Entry;

Q_DECLARE_METATYPE(QList<Gateway>)
Q_DECLARE_METATYPE(QList<Entry>)

namespace {

quint32 address(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

pugi::xml_document planOf(const char* text) {
    pugi::xml_document plan;
    plan.load_string(text);
    return plan;
}

QStringList texts(const QList<Entry>& entries) {
    QStringList found;
    for (const Entry& entry : entries) {
        found.append(entry.text);
    }
    return found;
}

QList<quint32> addresses(const QList<Entry>& entries) {
    QList<quint32> found;
    for (const Entry& entry : entries) {
        found.append(entry.address);
    }
    return found;
}

}  // namespace

class TestDestinationList : public QObject {
    Q_OBJECT

private slots:
    void gatewaysComeFromTheDeviceConfiguration();
    void gatewayNameIsAllItsText();
    void firstAttributeGivesTheAddress_data();
    void firstAttributeGivesTheAddress();
    void destinationTextShowsTheLastOctet_data();
    void destinationTextShowsTheLastOctet();
    void entriesByTransportMode_data();
    void entriesByTransportMode();
    void namesAreSortedIgnoringCase();
    void selectionFollowsTheRememberedText_data();
    void selectionFollowsTheRememberedText();
};

void TestDestinationList::gatewaysComeFromTheDeviceConfiguration() {
    const pugi::xml_document plan = planOf(
        "<Plan><Device_Configuration>"
        "<UBRIX IP='10.0.0.20'><TYPE>UBRIXA</TYPE><NAME>Lobby</NAME></UBRIX>"
        "<UBRIX IP='10.0.0.21'><TYPE>UBRIXA</TYPE></UBRIX>"  // no NAME yet: left out
        "<UBRIX><NAME>No address</NAME></UBRIX>"             // no IP attribute: left out
        "<UBRIX IP='10.0.0.7'><NAME>Garage</NAME><NAME>Second</NAME></UBRIX>"
        "</Device_Configuration><Network_Configuration>"
        "<UBRIX IP='10.0.0.30'><NAME>Network only</NAME></UBRIX>"
        "</Network_Configuration></Plan>");

    const QList<Gateway> gateways = CDestinationList::gatewaysOf(plan);

    QCOMPARE(gateways.size(), 2);
    QCOMPARE(gateways.at(0).name, QStringLiteral("Lobby"));
    QCOMPARE(gateways.at(0).address, address("10.0.0.20"));
    // The first NAME child counts; document order is kept.
    QCOMPARE(gateways.at(1).name, QStringLiteral("Garage"));
    QCOMPARE(gateways.at(1).address, address("10.0.0.7"));
}

void TestDestinationList::gatewayNameIsAllItsText() {
    const pugi::xml_document plan = planOf(
        "<Plan><Device_Configuration>"
        "<UBRIX IP='10.0.0.20'><NAME>Lob<b>b</b>y<![CDATA[ & co]]></NAME></UBRIX>"
        "<UBRIX IP='10.0.0.21'><NAME/></UBRIX>"
        "<UBRIX IP='10.0.0.22'><NAME>Caf\xC3\xA9</NAME></UBRIX>"
        "</Device_Configuration></Plan>");

    const QList<Gateway> gateways = CDestinationList::gatewaysOf(plan);

    QCOMPARE(gateways.size(), 3);
    QCOMPARE(gateways.at(0).name, QStringLiteral("Lobby & co"));
    QCOMPARE(gateways.at(1).name, QString());
    QCOMPARE(gateways.at(2).name, QString::fromUtf8("Caf\xC3\xA9"));
    QCOMPARE(CDestinationList::destinationText(gateways.at(2)),
             QString::fromUtf8("Caf\xC3\xA9 (..022)"));
}

void TestDestinationList::firstAttributeGivesTheAddress_data() {
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("IP first") << QByteArray("<UBRIX IP='192.168.1.20'>") << address("192.168.1.20");
    // Whatever the first attribute is called, it is the one read.
    QTest::newRow("another attribute first")
        << QByteArray("<UBRIX NEW='10.1.1.1' IP='192.168.1.20'>") << address("10.1.1.1");
    QTest::newRow("not an address") << QByteArray("<UBRIX IP='lobby'>") << 0xFFFFFFFFu;
    QTest::newRow("shorthand form") << QByteArray("<UBRIX IP='10.5'>") << address("10.0.0.5");
}

void TestDestinationList::firstAttributeGivesTheAddress() {
    QFETCH(QByteArray, element);
    QFETCH(quint32, expected);

    const QByteArray text = "<Plan><Device_Configuration>" + element +
                            "<NAME>G</NAME></UBRIX></Device_Configuration></Plan>";
    const pugi::xml_document plan = planOf(text.constData());
    const QList<Gateway> gateways = CDestinationList::gatewaysOf(plan);

    QCOMPARE(gateways.size(), 1);
    QCOMPARE(gateways.at(0).address, expected);
}

void TestDestinationList::destinationTextShowsTheLastOctet_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("text");

    QTest::newRow("two digits") << "Lobby" << address("192.168.1.20") << "Lobby (..020)";
    QTest::newRow("one digit") << "Garage" << address("10.0.0.5") << "Garage (..005)";
    QTest::newRow("three digits") << "Roof" << address("10.0.0.254") << "Roof (..254)";
    QTest::newRow("broadcast") << "X" << 0xFFFFFFFFu << "X (..255)";
    QTest::newRow("empty name") << "" << address("10.0.0.1") << " (..001)";
}

void TestDestinationList::destinationTextShowsTheLastOctet() {
    QFETCH(QString, name);
    QFETCH(quint32, address);
    QFETCH(QString, text);

    QCOMPARE(CDestinationList::destinationText(Gateway{name, address}), text);
}

void TestDestinationList::entriesByTransportMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<quint32>("defaultIp");
    QTest::addColumn<QList<Gateway>>("gateways");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<quint32>>("addresses");

    const QList<Gateway> two{{QStringLiteral("Lobby"), address("10.0.0.20")},
                             {QStringLiteral("Garage"), address("10.0.0.5")}};
    const quint32 tcpGateway = address("10.0.0.9");

    QTest::newRow("UDP") << CTransport::kModeUdp << tcpGateway << two
                         << QStringList{"Broadcast", "Lobby (..020)", "Garage (..005)"}
                         << QList<quint32>{0xFFFFFFFFu, address("10.0.0.20"), address("10.0.0.5")};
    QTest::newRow("UDP, no gateways") << CTransport::kModeUdp << 0u << QList<Gateway>{}
                                      << QStringList{"Broadcast"} << QList<quint32>{0xFFFFFFFFu};
    QTest::newRow("TCP with default IP")
        << CTransport::kModeTcp << tcpGateway << two
        << QStringList{"10.0.0.9", "Lobby (..020)", "Garage (..005)"}
        << QList<quint32>{tcpGateway, address("10.0.0.20"), address("10.0.0.5")};
    QTest::newRow("TCP without default IP")
        << CTransport::kModeTcp << 0u << two << QStringList{"Lobby (..020)", "Garage (..005)"}
        << QList<quint32>{address("10.0.0.20"), address("10.0.0.5")};
    QTest::newRow("TCP, nothing at all")
        << CTransport::kModeTcp << 0u << QList<Gateway>{} << QStringList{} << QList<quint32>{};
    QTest::newRow("USB") << CTransport::kModeUsb << tcpGateway << two
                         << QStringList{"Lobby (..020)", "Garage (..005)"}
                         << QList<quint32>{address("10.0.0.20"), address("10.0.0.5")};
}

void TestDestinationList::entriesByTransportMode() {
    QFETCH(int, mode);
    QFETCH(quint32, defaultIp);
    QFETCH(QList<Gateway>, gateways);
    QFETCH(QStringList, texts);
    QFETCH(QList<quint32>, addresses);

    const QList<Entry> entries = CDestinationList::build(mode, defaultIp, gateways);

    QCOMPARE(::texts(entries), texts);
    QCOMPARE(::addresses(entries), addresses);
}

void TestDestinationList::namesAreSortedIgnoringCase() {
    const QList<Gateway> gateways{{QStringLiteral("lobby"), 1},
                                  {QStringLiteral("Garage"), 2},
                                  {QStringLiteral("attic"), 3},
                                  {QStringLiteral("Basement"), 4}};

    QCOMPARE(CDestinationList::sortedNames(gateways),
             (QStringList{"attic", "Basement", "Garage", "lobby"}));
}

void TestDestinationList::selectionFollowsTheRememberedText_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<int>("selected");

    const QStringList udp{"Broadcast", "Lobby (..020)", "Lobby2 (..021)", "Garage (..005)"};
    QTest::newRow("nothing remembered") << udp << "" << 0;
    QTest::newRow("exact") << udp << "Garage (..005)" << 3;
    QTest::newRow("first after entry 0") << udp << "Lobby (..020)" << 1;
    QTest::newRow("prefix") << udp << "Lob" << 1;
    QTest::newRow("ignoring case") << udp << "garage" << 3;
    QTest::newRow("wraps round to entry 0") << udp << "Broadcast" << 0;
    QTest::newRow("gone") << udp << "Roof (..030)" << 0;
    QTest::newRow("empty list") << QStringList{} << "Lobby (..020)" << -1;
    QTest::newRow("empty list, nothing remembered") << QStringList{} << "" << -1;
    // In TCP and USB mode entry 0 is a gateway: it is found last, after the wrap.
    QTest::newRow("entry 0 found after the others")
        << QStringList{"Lobby (..020)", "Lobby (..021)"} << "Lobby (..020)" << 0;
    QTest::newRow("a longer text is no prefix") << udp << "Broadcast all" << 0;
}

void TestDestinationList::selectionFollowsTheRememberedText() {
    QFETCH(QStringList, texts);
    QFETCH(QString, remembered);
    QFETCH(int, selected);

    QList<Entry> entries;
    for (const QString& text : texts) {
        entries.append({text, 0});
    }
    QCOMPARE(CDestinationList::selectionFor(entries, remembered), selected);
}

QTEST_APPLESS_MAIN(TestDestinationList)
#include "TestDestinationList.moc"
