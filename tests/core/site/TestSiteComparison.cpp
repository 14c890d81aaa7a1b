#include "support/CDocFixture.h"

#include "core/common/CXmlFile.h"
#include "core/site/CSiteComparison.h"
#include "core/site/CSnapshotStamp.h"

#include <QTest>

namespace {

// A plan: "G" the gateways' Device_Configuration entries, "D" the devices', "N" the
// Network_Configuration.
QByteArray plan(const QByteArray& gateways, const QByteArray& devices, const QByteArray& network) {
    return "<Plan><Device_Configuration>" + gateways + devices +
           "</Device_Configuration><Network_Configuration>" + network +
           "</Network_Configuration></Plan>";
}

const QByteArray kGateway =
    "<UBRIX IP='10.0.0.2'><NAME>Hall</NAME><TYPE>UBRIX_A</TYPE>"
    "<VERSION_SW>2.4.7</VERSION_SW><NETWORK><DHCP>ENABLE</DHCP></NETWORK>"
    "</UBRIX>";
const QByteArray kLamp =
    "<DEVICE UID='5'><TYPE>LUMET_AC</TYPE><SN>100005</SN>"
    "<VERSION_SW>2.4.7</VERSION_SW><ALIAS>Desk</ALIAS>"
    "<PORT P='A'><LED><DISSOLVE>10</DISSOLVE><PRESET A='1'>255</PRESET>"
    "</LED></PORT></DEVICE>";
const QByteArray kBus = "<UBRIX IP='10.0.0.2'><DEVICE UID='5'/></UBRIX>";

QByteArray replaced(QByteArray text, const char* from, const char* to) {
    return text.replace(from, to);
}

pugi::xml_document parsed(const QByteArray& text) {
    pugi::xml_document document;
    QString reason;
    if (!CXmlFile::parse(text, document, reason)) {
        qFatal("test plan: %s", qPrintable(reason));
    }
    return document;
}

}  // namespace

// The comparison of two snapshots, and the stamp that makes a map file one.
class TestSiteComparison : public QObject {
    Q_OBJECT

private slots:
    void differences_data();
    void differences();
    void stampKeepsAMapAMap_data();
    void stampKeepsAMapAMap();

private:
    CDocFixture m_site;  // the shipped schema
};

void TestSiteComparison::differences_data() {
    QTest::addColumn<QStringList>("asked");  // --with-secrets, --with-readings
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray site = plan(kGateway, kLamp, kBus);
    QTest::newRow("the same site") << QStringList() << site << site << QByteArray();
    QTest::newRow("a setting of a port and an indexed one")
        << QStringList() << site
        << plan(kGateway,
                replaced(replaced(kLamp, "<DISSOLVE>10", "<DISSOLVE>20"), ">255<", ">128<"), kBus)
        << QByteArray("UID 5: A.LED.DISSOLVE: 10 -> 20\nUID 5: A.LED.PRESET.1: 255 -> 128\n");
    QTest::newRow("a setting reported on one side only")
        << QStringList() << site
        << plan(replaced(kGateway, "<NETWORK><DHCP>ENABLE</DHCP></NETWORK>", "<TZ>1</TZ>"), kLamp,
                kBus)
        << QByteArray(
               "IP 10.0.0.2: TZ: (none) -> 1\nIP 10.0.0.2: NETWORK.DHCP: ENABLE -> (none)\n");
    QTest::newRow("type and firmware, not as settings")
        << QStringList() << site
        << plan(kGateway,
                replaced(replaced(kLamp, "LUMET_AC", "LUMET_AM"), "<VERSION_SW>2.4.7",
                         "<VERSION_SW>2.5.0"),
                kBus)
        << QByteArray("UID 5: type: LUMET_AC -> LUMET_AM\nUID 5: firmware: 2.4.7 -> 2.5.0\n");
    QTest::newRow("the same serial number under another UID")
        << QStringList() << site
        << plan(kGateway, replaced(kLamp, "UID='5'", "UID='9'"),
                replaced(kBus, "UID='5'", "UID='9'"))
        << QByteArray("UID 9: readdressed: UID 5 -> UID 9\n");
    QTest::newRow("another serial number under the same UID")
        << QStringList() << site << plan(kGateway, replaced(kLamp, "100005", "200001"), kBus)
        << QByteArray("UID 5: replaced: SN 100005 -> SN 200001\n");
    QTest::newRow("heard behind another gateway")
        << QStringList() << site << plan(kGateway, kLamp, replaced(kBus, "10.0.0.2", "10.0.0.3"))
        << QByteArray("IP 10.0.0.3: added\nUID 5: moved: behind 10.0.0.2 -> behind 10.0.0.3\n");
    QTest::newRow("silent this time") << QStringList() << site << plan(kGateway, {}, kBus)
                                      << QByteArray("UID 5: reported no settings (6 before)\n");
    QTest::newRow("a gateway and a device more")
        << QStringList() << plan(kGateway, {}, {})
        << plan(kGateway + replaced(kGateway, "10.0.0.2", "10.0.0.7"), kLamp, kBus)
        << QByteArray("IP 10.0.0.7: added (UBRIX_A)\nUID 5: added (LUMET_AC)\n");
    QTest::newRow("gone, and a device without UID new")
        << QStringList() << site
        << plan({}, "<DEVICE SN='777'/>", "<UBRIX IP='10.0.0.3'><DEVICE SN='777'/></UBRIX>")
        << QByteArray(
               "IP 10.0.0.3: added\nIP 10.0.0.2: removed (UBRIX_A)\nSN 777: added\n"
               "UID 5: removed (LUMET_AC)\n");
    QTest::newRow("an SN entry left over from before the UID counts once")
        << QStringList() << plan(kGateway, kLamp, kBus)
        << plan(kGateway, "<DEVICE SN='100005'/>" + kLamp,
                "<UBRIX IP='10.0.0.2'><DEVICE UID='5'/><DEVICE SN='100005'/></UBRIX>")
        << QByteArray();
    QTest::newRow("a device addressed since")
        << QStringList()
        << plan(kGateway, "<DEVICE SN='100005'/>",
                "<UBRIX IP='10.0.0.2'><DEVICE SN='100005'/></UBRIX>")
        << site << QByteArray("UID 5: readdressed: SN 100005 -> UID 5\n");

    // Live readings differ at every visit: no change unless asked for.
    const QByteArray read = replaced(kLamp, "</LED></PORT>",
                                     "<LEVEL>10</LEVEL></LED></PORT><VOLTAGE><SUPPLY>24.1</SUPPLY>"
                                     "</VOLTAGE><TEMPERATURE><VALUE>31</VALUE></TEMPERATURE>");
    const QByteArray readLater = replaced(
        replaced(replaced(read, ">10</LEVEL>", ">80</LEVEL>"), "24.1", "23.8"), ">31<", ">35<");
    QTest::newRow("live readings") << QStringList() << plan(kGateway, read, kBus)
                                   << plan(kGateway, readLater, kBus) << QByteArray();
    QTest::newRow("live readings asked for")
        << QStringList{"--with-readings"} << plan(kGateway, read, kBus)
        << plan(kGateway, readLater, kBus)
        << QByteArray(
               "UID 5: A.LED.LEVEL: 10 -> 80\nUID 5: VOLTAGE.SUPPLY: 24.1 -> 23.8\n"
               "UID 5: TEMPERATURE.VALUE: 31 -> 35\n");
    // A credential shows as "(set)" or "(empty)": its change is told, never its value.
    const QByteArray telnet =
        replaced(kGateway, "</UBRIX>", "<TELNET><PASSWORD>ubrix</PASSWORD></TELNET></UBRIX>");
    const QByteArray changed = replaced(telnet, ">ubrix<", ">TopSecret11<");
    QTest::newRow("a password changed")
        << QStringList() << plan(telnet, {}, {}) << plan(changed, {}, {})
        << QByteArray("IP 10.0.0.2: TELNET.PASSWORD: (set) -> (set)\n");
    QTest::newRow("a password changed, secrets asked for")
        << QStringList{"--with-secrets"} << plan(telnet, {}, {}) << plan(changed, {}, {})
        << QByteArray("IP 10.0.0.2: TELNET.PASSWORD: ubrix -> TopSecret11\n");
    QTest::newRow("a password emptied and one new")
        << QStringList() << plan(telnet, {}, {}) << plan(replaced(telnet, ">ubrix<", "><"), {}, {})
        << QByteArray("IP 10.0.0.2: TELNET.PASSWORD: (set) -> (empty)\n");
    QTest::newRow("a password in lower case")
        << QStringList() << plan(kGateway, {}, {})
        << plan(replaced(kGateway, "</UBRIX>", "<telnet><password>x1</password></telnet></UBRIX>"),
                {}, {})
        << QByteArray("IP 10.0.0.2: telnet.password: (none) -> (set)\n");
    // UBRIX_A has no Wi-Fi; the passphrase is a credential wherever it turns up.
    QTest::newRow("a passphrase on a type without it")
        << QStringList() << plan(kGateway, {}, {})
        << plan(replaced(kGateway, "</UBRIX>",
                         "<WIFI><PASSPHRASE>abcdefgh</PASSPHRASE></WIFI></UBRIX>"),
                {}, {})
        << QByteArray("IP 10.0.0.2: WIFI.PASSPHRASE: (none) -> (set)\n");
}

void TestSiteComparison::differences() {
    QFETCH(QStringList, asked);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    CSiteComparison::Options options;
    options.withSecrets = asked.contains(QStringLiteral("--with-secrets"));
    options.withReadings = asked.contains(QStringLiteral("--with-readings"));
    const std::vector<CSiteDifference> differences =
        CSiteComparison::compare(CSiteInventory::of(parsed(before)),
                                 CSiteInventory::of(parsed(after)), m_site.doc().schema(), options);
    QTEST(CSiteComparison::text(differences), "expected");
}

void TestSiteComparison::stampKeepsAMapAMap_data() {
    QTest::addColumn<QString>("adapter");
    QTest::addColumn<QString>("read");
    QTest::newRow("plain") << QStringLiteral("eth0 10.0.0.1") << QStringLiteral("eth0 10.0.0.1");
    QTest::newRow("quotes and the instruction's end")
        << QStringLiteral("a\"b ?> <c>&") << QStringLiteral("a'b ? > <c>&");
}

// A snapshot loads where a map file loads, and the program saves it again as a map file
// that still says when it was taken.
void TestSiteComparison::stampKeepsAMapAMap() {
    QFETCH(QString, adapter);
    CDocFixture fixture;
    fixture.receive({"[00:00:00] (10.0.0.2) !NAME=Hall;", "[00:00:00] (10.0.0.2) +UID5;"});
    CSnapshotStamp stamp;
    stamp.taken = QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC);
    stamp.adapter = adapter;
    stamp.version = QStringLiteral("1.0.0.1");
    const QString snapshot = fixture.path(QStringLiteral("snapshot.xml"));
    QString reason;
    QVERIFY2(stamp.save(fixture.doc().plan(), snapshot, reason), qPrintable(reason));

    CDocFixture program;
    program.doc().loadMapFile(snapshot);
    QVERIFY(program.notifier().messages().isEmpty());
    QCOMPARE(program.planText(), fixture.planText());
    const QString saved = program.path(QStringLiteral("saved.xml"));
    QVERIFY(program.doc().saveMapFile(saved));
    pugi::xml_document again;
    QVERIFY2(CXmlFile::load(saved, again, reason), qPrintable(reason));
    QCOMPARE(again.document_element().name(), "Plan");
    const std::optional<CSnapshotStamp> read = CSnapshotStamp::of(again);
    QVERIFY(read.has_value());
    QCOMPARE(read->taken, stamp.taken);
    QCOMPARE(read->version, stamp.version);
    QTEST(read->adapter, "read");
    QCOMPARE(CSnapshotStamp::of(fixture.doc().plan()).has_value(), false);
}

QTEST_GUILESS_MAIN(TestSiteComparison)
#include "TestSiteComparison.moc"
