#include "support/CDocFixture.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace {

QByteArray line(const QByteArray& sender, const QByteArray& text) {
    return "[10:00:00] (" + sender + ") " + text;
}

// Two gateways; behind the first the device UID 5 and the unaddressed SN 812, behind the
// second the device UID 812 (a UID equal to the other's serial number).
const QList<QByteArray> kSite{
    line("10.0.0.1", "!NAME=Lobby;"), line("10.0.0.1", "+UID5;"),
    line("10.0.0.1", "+SN812;"),      line("10.0.0.2", "!NAME=Attic;"),
    line("10.0.0.2", "+UID812;"),     line("10.0.0.2", "!UID812.ALIAS=DESK;"),
};

// Replies to the places the removals touch: an element freed behind the index's back
// would take them (or crash under the address sanitizer).
const QList<QByteArray> kLater{
    line("10.0.0.1", "!NAME=Hall;"),
    line("10.0.0.2", "!UID812.ALIAS=LAMP;"),
    line("10.0.0.1", "+SN812;"),
};

const QByteArray kD1 = R"(<UBRIX IP="10.0.0.1"><NAME>Lobby</NAME></UBRIX>)";
const QByteArray kD5 = R"(<DEVICE UID="5"/>)";
const QByteArray kDSn = R"(<DEVICE SN="812"/>)";
const QByteArray kD2 = R"(<UBRIX IP="10.0.0.2"><NAME>Attic</NAME></UBRIX>)";
const QByteArray kD812 = R"(<DEVICE UID="812"><ALIAS>DESK</ALIAS></DEVICE>)";
const QByteArray kN1 = R"(<UBRIX IP="10.0.0.1"><DEVICE UID="5"/><DEVICE SN="812"/></UBRIX>)";
const QByteArray kN2 = R"(<UBRIX IP="10.0.0.2"><DEVICE UID="812"/></UBRIX>)";

QByteArray plan(const QByteArray& devices, const QByteArray& network) {
    const QByteArray d = devices.isEmpty()
                             ? "<Device_Configuration/>"
                             : "<Device_Configuration>" + devices + "</Device_Configuration>";
    const QByteArray n = network.isEmpty()
                             ? "<Network_Configuration/>"
                             : "<Network_Configuration>" + network + "</Network_Configuration>";
    return "<Plan>" + d + n + "</Plan>";
}

using Operation = std::function<void(CUbrixVorelDoc&)>;

}  // namespace

Q_DECLARE_METATYPE(Operation)

// The document's removals: what each leaves of the plan, and that replies after it land
// where they would in a plan that was never indexed before.
class TestPlanRemovals : public QObject {
    Q_OBJECT

private slots:
    void removals_data();
    void removals();
    void hostileTextsAreValuesNotSelections();
    void settingEnteredFromBothPaths();
};

void TestPlanRemovals::removals_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("clear gateways") << Operation([](CUbrixVorelDoc& doc) { doc.clearGateways(); })
                                    << plan(kD5 + kDSn + kD812, "");
    QTest::newRow("clear one gateway's settings")
        << Operation([](CUbrixVorelDoc& doc) { doc.clearGatewaySettings("10.0.0.1"); })
        << plan(R"(<UBRIX IP="10.0.0.1"/>)" + kD5 + kDSn + kD2 + kD812, kN1 + kN2);
    QTest::newRow("serial number device, not the UID of that number")
        << Operation([](CUbrixVorelDoc& doc) { doc.removeDevice("SN", 812); })
        << plan(kD1 + kD5 + kD2 + kD812, R"(<UBRIX IP="10.0.0.1"><DEVICE UID="5"/></UBRIX>)" + kN2);
    QTest::newRow("UID device") << Operation([](CUbrixVorelDoc& doc) {
        doc.removeDevice("UID", 812);
    }) << plan(kD1 + kD5 + kDSn + kD2, kN1 + R"(<UBRIX IP="10.0.0.2"/>)");
    QTest::newRow("gateway with its devices by their own attributes")
        << Operation([](CUbrixVorelDoc& doc) { doc.removeGateway("10.0.0.1"); })
        << plan(kD2 + kD812, kN2);
    QTest::newRow("unknown gateway")
        << Operation([](CUbrixVorelDoc& doc) { doc.removeGateway("10.0.0.9"); })
        << plan(kD1 + kD5 + kDSn + kD2 + kD812, kN1 + kN2);
    QTest::newRow("everything") << Operation([](CUbrixVorelDoc& doc) { doc.clearAll(); })
                                << plan("", "");
}

void TestPlanRemovals::removals() {
    QFETCH(Operation, operation);
    QFETCH(QByteArray, expected);

    CDocFixture fixture;
    fixture.receive(kSite);
    operation(fixture.doc());
    QCOMPARE(fixture.planText(), expected);

    // The same plan loaded from a file, indexed from scratch, must take the later replies
    // exactly as the document that removed the nodes does.
    const QString path = fixture.path(QStringLiteral("after.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    CDocFixture reference;
    reference.doc().loadMapFile(path);
    fixture.receive(kLater);
    reference.receive(kLater);
    QCOMPARE(fixture.planText(), reference.planText());
    QCOMPARE(fixture.errorLogText(), QByteArray());
}

void TestPlanRemovals::hostileTextsAreValuesNotSelections() {
    CDocFixture fixture;
    fixture.receive(kSite);
    const QByteArray before = fixture.planText();
    // Quotes and brackets are values to look for, never part of a selection.
    fixture.doc().clearGatewaySettings("10.0.0.1' or '1'='1");
    fixture.doc().removeGateway("x'] | //*[@IP='10.0.0.1");
    fixture.doc().removeDevice("UID\" or \"1\"=\"1", 5);
    QCOMPARE(fixture.planText(), before);
}

void TestPlanRemovals::settingEnteredFromBothPaths() {
    CDocFixture fixture;
    QSignalSpy entered(&fixture.doc(), &CUbrixVorelDoc::settingEntered);
    // The second reply of each path takes the remembered element (the cached path).
    fixture.receive({line("10.0.0.1", "!TELNET.LOGIN.2=ENABLE;"),
                     line("10.0.0.1", "!TELNET.LOGIN.2=DISABLE;"),
                     line("10.0.0.2", "!UID7.A.LED.DISSOLVE=20;"),
                     line("10.0.0.2", "!UID7.A.LED.DISSOLVE=30;"), line("10.0.0.1", "!NAME=;")});
    QCOMPARE(entered.size(), 5);
    const QList<QByteArray> expected{
        "Gateway 10.0.0.1 IP 10.0.0.1 TELNET.LOGIN.2=ENABLE",
        "Gateway 10.0.0.1 IP 10.0.0.1 TELNET.LOGIN.2=DISABLE",
        "Device 10.0.0.2 UID 7 A.LED.DISSOLVE=20",
        "Device 10.0.0.2 UID 7 A.LED.DISSOLVE=30",
        "Gateway 10.0.0.1 IP 10.0.0.1 NAME=",
    };
    for (int i = 0; i < entered.size(); ++i) {
        const auto setting = entered[i].at(0).value<CEnteredSetting>();
        const QByteArray seen = QByteArray(setting.isGateway() ? "Gateway " : "Device ") +
                                setting.gateway + " " + setting.attribute + " " + setting.number +
                                " " + setting.address.text() + "=" + setting.value;
        QCOMPARE(seen, expected[i]);
    }
}

QTEST_GUILESS_MAIN(TestPlanRemovals)
#include "TestPlanRemovals.moc"
