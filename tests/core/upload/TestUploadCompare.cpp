#include "core/plan/CValidationSchema.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadProject.h"
#include "core/upload/CUploadSummary.h"
#include "core/upload/CUploadWalk.h"

#include <QTest>

namespace {

const char* const kSchema = R"(<Validate>
  <DEVICE TYPE="GATE">
    <NAME c="EDIT"/><TYPE c="READ"/>
    <NETWORK><DHCP c="COMBO"><OPTION>DISABLE</OPTION><OPTION>ENABLE</OPTION></DHCP>
      <MAC_ADD c="READ"/></NETWORK>
    <UDP><LISTEN_PORT c="EDIT" t="PORT"/></UDP>
    <TELNET><LOGIN c="EDIT"/></TELNET>
    <SERIAL>
      <TYPE c="COMBO" p="A"><OPTION>KVBUS</OPTION><OPTION>NONE</OPTION></TYPE>
      <TYPE c="COMBO" p="C"><OPTION>RS232</OPTION><OPTION>RS485</OPTION></TYPE>
      <BAUD c="EDIT"/>
    </SERIAL>
  </DEVICE>
  <DEVICE TYPE="LAMP">
    <TYPE c="READ"/><SN c="READ"/><ALIAS c="EDIT"/>
    <LED><PRESET c="EDIT"/><MODE c="COMBO"><OPTION>RGB</OPTION></MODE></LED>
  </DEVICE>
</Validate>)";

pugi::xml_document parse(const char* text) {
    pugi::xml_document document;
    if (!document.load_string(text)) {
        qFatal("fixture does not parse: %s", text);
    }
    return document;
}

QByteArray places(const std::vector<CTemplateSetting>& settings) {
    QByteArray text;
    for (const CTemplateSetting& s : settings) {
        const CSettingAddress& at = s.address;
        text += at.port + "|" + at.group + "|" + at.key + "|" + at.index + "=" +
                QByteArray::fromStdString(s.value) + ";";
    }
    return text;
}

CUploadDevice deviceOf(const char* projectText, bool gateway) {
    const pugi::xml_document project = parse(projectText);
    std::vector<CUploadDevice> devices =
        gateway ? CUploadProject::gateways(project) : CUploadProject::busDevices(project);
    if (devices.size() != 1) {
        qFatal("fixture has %zu devices", devices.size());
    }
    return devices.front();
}

}  // namespace

// The walk of a project device, the comparison with what it reported, and the listing of a
// project's devices with their refusals: every outcome, text and command byte for byte.
class TestUploadCompare : public QObject {
    Q_OBJECT

private slots:
    void walkVisitsInTheUploadsOrder_data();
    void walkVisitsInTheUploadsOrder();
    void rowOutcomes_data();
    void rowOutcomes();
    void connectionSettingsGoLast();
    void summaryTellsWhatWasSkippedAndWhy();
    void presence_data();
    void presence();
    void projectRefusesUnsafeAddresses_data();
    void projectRefusesUnsafeAddresses();
    void reportedSettingsFromAPlanElement();
    void whatIsAskedByName_data();
    void whatIsAskedByName();
};

void TestUploadCompare::walkVisitsInTheUploadsOrder_data() {
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QByteArray>("visited");
    QTest::newRow("setting, group, port")
        << QByteArray(
               "<UBRIX IP='1.2.3.4'><TYPE>GATE</TYPE><NETWORK><DHCP>ENABLE</DHCP>"
               "<STATIC_IP/></NETWORK><PORT P='A'><SERIAL><TYPE>KVBUS</TYPE></SERIAL>"
               "</PORT></UBRIX>")
        << QByteArray(
               "||TYPE|=GATE;|NETWORK|DHCP|=ENABLE;|NETWORK|STATIC_IP|=;A|SERIAL|TYPE|=KVBUS;");
    QTest::newRow("group member qualified by its first attribute, whatever its name")
        << QByteArray(
               "<DEVICE UID='3'><LED><PRESET A='2'>1.2.3</PRESET><PRESET X='7' A='9'>v"
               "</PRESET></LED></DEVICE>")
        << QByteArray("|LED|PRESET|2=1.2.3;|LED|PRESET|7=v;");
    QTest::newRow("top-level setting takes no qualifier")
        << QByteArray("<DEVICE UID='3'><ALIAS A='5'>Desk</ALIAS></DEVICE>")
        << QByteArray("||ALIAS|=Desk;");
    QTest::newRow("group after a port is walked once")
        << QByteArray(
               "<UBRIX IP='1.2.3.4'><PORT P='C'><SERIAL><BAUD>9600</BAUD></SERIAL></PORT>"
               "<UDP><LISTEN_PORT>5000</LISTEN_PORT></UDP></UBRIX>")
        << QByteArray("C|SERIAL|BAUD|=9600;|UDP|LISTEN_PORT|=5000;");
    QTest::newRow("setting directly in a port")
        << QByteArray("<DEVICE UID='3'><PORT P='B'><ALIAS>Hall</ALIAS></PORT></DEVICE>")
        << QByteArray("B||ALIAS|=Hall;");
    QTest::newRow("elements without content yield nothing")
        << QByteArray("<DEVICE UID='3'><EMPTY/><PORT P='B'/><LED></LED></DEVICE>") << QByteArray();
}

void TestUploadCompare::walkVisitsInTheUploadsOrder() {
    QFETCH(QByteArray, element);
    const pugi::xml_document document = parse(element.constData());
    QTEST(places(CUploadWalk::walk(document.document_element())), "visited");
}

void TestUploadCompare::rowOutcomes_data() {
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<QByteArray>("setting");   // inside the device element
    QTest::addColumn<QByteArray>("reported");  // "port|group|key|index=value", or empty
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("logLine");
    const QByteArray none;
    auto row = [](const char* name, bool gateway, const char* setting, const char* reported,
                  const char* outcome, const char* command, const char* logLine) {
        QTest::newRow(name) << gateway << QByteArray(setting) << QByteArray(reported)
                            << QString::fromLatin1(outcome) << QByteArray(command)
                            << QByteArray(logLine);
    };
    // Gateways
    row("gateway match", true, "<NAME>Hall</NAME>", "||NAME|=Hall", "match", "",
        "->Upload object match: Hall ->Hall");
    row("gateway differs, no terminator", true, "<NAME>Hall</NAME>", "||NAME|=Lobby", "differs",
        "&NAME=Hall", "->Upload object miss match: Lobby template-> Hall device-> Lobby");
    row("gateway group", true, "<NETWORK><DHCP>ENABLE</DHCP></NETWORK>", "|NETWORK|DHCP|=DISABLE",
        "differs", "&NETWORK.DHCP=ENABLE",
        "->Upload object miss match: DISABLE template-> ENABLE device-> DISABLE");
    row("gateway indexed", true, "<TELNET><LOGIN A='3'>ON</LOGIN></TELNET>", "|TELNET|LOGIN|3=OFF",
        "differs", "&TELNET.LOGIN.3=ON",
        "->Upload object miss match: OFF template-> ON device-> OFF");
    row("port C takes its own options", true,
        "<PORT P='C'><SERIAL><TYPE>RS485</TYPE></SERIAL></PORT>", "C|SERIAL|TYPE|=RS232", "differs",
        "&C.SERIAL.TYPE=RS485",
        "->Upload object miss match: RS232 template-> RS485 device-> RS232");
    row("port A's option is none of port C's", true,
        "<PORT P='C'><SERIAL><TYPE>KVBUS</TYPE></SERIAL></PORT>", "C|SERIAL|TYPE|=RS232",
        "not an option", "", "");
    row("entry without a port stands in on every port", true,
        "<PORT P='C'><SERIAL><BAUD>9600</BAUD></SERIAL></PORT>", "C|SERIAL|BAUD|=19200", "differs",
        "&C.SERIAL.BAUD=9600", "->Upload object miss match: 19200 template-> 9600 device-> 19200");
    row("options compared with case", true, "<NETWORK><DHCP>enable</DHCP></NETWORK>",
        "|NETWORK|DHCP|=DISABLE", "not an option", "", "");
    row("not in the schema", true, "<NETWORK><GATEWAY>1</GATEWAY></NETWORK>", "|NETWORK|GATEWAY|=2",
        "not in the schema", "", "");
    row("not reported", true, "<NAME>Hall</NAME>", "", "not reported", "", "");
    row("empty value", true, "<NETWORK><DHCP/></NETWORK>", "|NETWORK|DHCP|=DISABLE", "empty", "",
        "");
    row("read-only that matches still says so", true, "<TYPE>GATE</TYPE>", "||TYPE|=GATE", "match",
        "", "->Upload object match: GATE ->GATE");
    row("read-only difference is never sent", true, "<NETWORK><MAC_ADD>00:11</MAC_ADD></NETWORK>",
        "|NETWORK|MAC_ADD|=00:22", "read-only", "", "");
    row("value that would end the command", true, "<NAME>Hall;&amp;VERSION_HW=RESET</NAME>",
        "||NAME|=Lobby", "unsafe value", "", "");
    row("value with a line break", true, "<NAME>Ha&#10;ll</NAME>", "||NAME|=Lobby", "unsafe value",
        "", "");
    row("port that is no letter", true,
        "<PORT P='C;&amp;X'><SERIAL><BAUD>9600</BAUD></SERIAL></PORT>", "C;&X|SERIAL|BAUD|=1",
        "unsafe value", "", "");
    row("index that is no number", true, "<TELNET><LOGIN A='1;&amp;X=Y'>ON</LOGIN></TELNET>",
        "|TELNET|LOGIN|1;&X=Y=OFF", "unsafe value", "", "");
    row("port above 65535: never sent", true, "<UDP><LISTEN_PORT>99999</LISTEN_PORT></UDP>",
        "|UDP|LISTEN_PORT|=5000", "invalid value", "",
        "->Upload Error: not sent: UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)");
    row("invalid value found when the device says nothing", true,
        "<UDP><LISTEN_PORT>abc</LISTEN_PORT></UDP>", "", "invalid value", "",
        "->Upload Error: not sent: UDP.LISTEN_PORT: abc is not a port (1-65535)");
    row("a port in range goes out", true, "<UDP><LISTEN_PORT>5001</LISTEN_PORT></UDP>",
        "|UDP|LISTEN_PORT|=5000", "differs", "&UDP.LISTEN_PORT=5001",
        "->Upload object miss match: 5000 template-> 5001 device-> 5000");
    row("Latin-1 value goes out in Latin-1", true, "<NAME>Caf\xC3\xA9</NAME>", "||NAME|=Cafe",
        "differs", "&NAME=Caf\xE9",
        "->Upload object miss match: Cafe template-> Caf\xC3\xA9 device-> Cafe");
    // Bus devices
    row("device match names the plan path", false, "<LED><PRESET A='3'>1.2.3</PRESET></LED>",
        "|LED|PRESET|3=1.2.3", "match", "",
        "->Upload object match: //Device_Configuration/DEVICE[@UID='12']/LED/PRESET[@A='3'] "
        "->1.2.3");
    row("device differs, trailing blank", false, "<PORT P='A'><LED><MODE>RGB</MODE></LED></PORT>",
        "A|LED|MODE|=RGBW", "differs", "#UID12.A.LED.MODE=RGB",
        "->Upload object miss match: //Device_Configuration/DEVICE[@UID='12']/PORT[@P='A']/LED/"
        "MODE template-> RGB device-> RGBW ");
    row("device indexed", false, "<LED><PRESET A='3'>255.0.0</PRESET></LED>", "|LED|PRESET|3=0.0.0",
        "differs", "#UID12.LED.PRESET.3=255.0.0",
        "->Upload object miss match: //Device_Configuration/DEVICE[@UID='12']/LED/PRESET[@A='3'] "
        "template-> 255.0.0 device-> 0.0.0 ");
    row("device's serial number is read-only", false, "<SN>5</SN>", "||SN|=100001", "read-only", "",
        "");
}

namespace {
// "port|group|key|index=value" into a reported setting.
CDeviceAnswers reportedOf(const QByteArray& text) {
    CDeviceAnswers reported;
    if (text.isEmpty()) {
        return reported;
    }
    const qsizetype equals = text.lastIndexOf('=');
    const QList<QByteArray> parts = text.left(equals).split('|');
    reported.enter({parts[0], parts[1], parts[2], parts[3]}, text.mid(equals + 1).toStdString());
    return reported;
}
}  // namespace

void TestUploadCompare::rowOutcomes() {
    QFETCH(bool, gateway);
    QFETCH(QByteArray, setting);
    QFETCH(QByteArray, reported);
    QFETCH(QByteArray, logLine);
    const QByteArray project =
        "<Plan><Device_Configuration>" +
        (gateway ? "<UBRIX IP='10.0.0.2'><TYPE>GATE</TYPE>" + setting + "</UBRIX>"
                 : "<DEVICE UID='12'><TYPE>LAMP</TYPE>" + setting + "</DEVICE>") +
        "</Device_Configuration></Plan>";
    CUploadDevice device = deviceOf(project.constData(), gateway);
    device.settings.erase(device.settings.begin());  // the TYPE the fixture needs
    const pugi::xml_document schema = parse(kSchema);
    const std::vector<CUploadRow> rows =
        CUploadCompare::rows(device, CValidationSchema(schema), reportedOf(reported));
    QCOMPARE(rows.size(), size_t(1));
    const CUploadRow& row = rows.front();
    QTEST(QString::fromLatin1(CUploadRow::outcomeName(row.outcome)), "outcome");
    QTEST(row.command, "command");
    if (row.outcome == CUploadRow::Outcome::UnsafeValue) {
        // The reason is the value check's own text.
        QVERIFY(!row.refusal.isEmpty());
        QCOMPARE(CUploadCompare::logLine(device, row),
                 "->Upload Error: " + row.placeText() + " not sent: " + row.refusal.toUtf8());
    } else {
        QCOMPARE(CUploadCompare::logLine(device, row), logLine);
    }
    QCOMPARE(row.isSent(), !row.command.isEmpty());
}

void TestUploadCompare::connectionSettingsGoLast() {
    const CUploadDevice device = deviceOf(
        "<Plan><Device_Configuration><UBRIX IP='10.0.0.2'><TYPE>GATE</TYPE>"
        "<UDP><LISTEN_PORT>5001</LISTEN_PORT></UDP><NAME>Hall</NAME>"
        "<NETWORK><DHCP>DISABLE</DHCP></NETWORK><TELNET><LOGIN A='1'>X</LOGIN></TELNET>"
        "</UBRIX></Device_Configuration></Plan>",
        true);
    CDeviceAnswers reported;
    reported.enter({"", "", "TYPE", ""}, "GATE");
    reported.enter({"", "UDP", "LISTEN_PORT", ""}, "5000");
    reported.enter({"", "", "NAME", ""}, "Lobby");
    reported.enter({"", "NETWORK", "DHCP", ""}, "ENABLE");
    reported.enter({"", "TELNET", "LOGIN", "1"}, "Y");
    const pugi::xml_document schema = parse(kSchema);
    QList<QByteArray> commands;
    for (const CUploadRow& row :
         CUploadCompare::rows(device, CValidationSchema(schema), reported)) {
        commands.append(row.outcome == CUploadRow::Outcome::Match ? "match" : row.command);
    }
    QCOMPARE(commands, QList<QByteArray>({"match", "&NAME=Hall", "&TELNET.LOGIN.1=X",
                                          "&UDP.LISTEN_PORT=5001", "&NETWORK.DHCP=DISABLE"}));
}

void TestUploadCompare::summaryTellsWhatWasSkippedAndWhy() {
    const CUploadDevice device = deviceOf(
        "<Plan><Device_Configuration><UBRIX IP='10.0.0.2'><TYPE>GATE</TYPE><NAME>Hall</NAME>"
        "<ALIAS>x</ALIAS><TELNET><LOGIN A='1'/><LOGIN A='2'>y</LOGIN></TELNET>"
        "<NETWORK><DHCP>MAYBE</DHCP></NETWORK><UDP><LISTEN_PORT>5001</LISTEN_PORT></UDP>"
        "</UBRIX></Device_Configuration></Plan>",
        true);
    CDeviceAnswers reported;
    reported.enter({"", "", "TYPE", ""}, "GATE");
    reported.enter({"", "", "NAME", ""}, "Hall");
    reported.enter({"", "NETWORK", "DHCP", ""}, "ENABLE");
    const pugi::xml_document schema = parse(kSchema);
    CUploadSummary summary;
    CDeviceOutcome outcome = CDeviceOutcome::of(device, CDeviceOutcome::Status::Compared);
    outcome.rows = CUploadCompare::rows(device, CValidationSchema(schema), reported);
    summary.devices.push_back(outcome);
    // ALIAS is in no schema, LOGIN 1 is empty, LOGIN 2 and LISTEN_PORT were not reported;
    // MAYBE is no option: the gateway keeps ENABLE, named on a line of its own.
    QCOMPARE(summary.lines(),
             QStringList({"Upload complete.", "Sent: 0, confirmed by echo: 0, without echo: 0",
                          "Matched: 2, not applied: 1, skipped: 4 (not reported 2, not in the "
                          "schema 1, empty 1)",
                          "Not found: 0, type mismatch: 0, failed sends: 0",
                          "IP 10.0.0.2 NETWORK.DHCP: not an option"}));
    QCOMPARE(summary.exitCode(), CUploadSummary::kExitPartly);
    // A whole site's comparison lets the rows go once they are written out: the summary
    // says the same, and only the row its end names is kept.
    const QStringList before = summary.lines();
    CUploadSummary::letRowsGo(summary.devices.front(), summary.dryRun);
    QCOMPARE(summary.devices.front().rows.size(), size_t(1));
    QCOMPARE(summary.lines(), before);
    QCOMPARE(summary.exitCode(), CUploadSummary::kExitPartly);
}

void TestUploadCompare::presence_data() {
    QTest::addColumn<QByteArray>("reportedType");  // "-": none reported
    QTest::addColumn<int>("presence");
    QTest::newRow("same type") << QByteArray("GATE") << int(CUploadCompare::Presence::Found);
    QTest::newRow("no type: not found")
        << QByteArray("-") << int(CUploadCompare::Presence::NotFound);
    QTest::newRow("type compared with case")
        << QByteArray("gate") << int(CUploadCompare::Presence::TypeMismatch);
}

void TestUploadCompare::presence() {
    QFETCH(QByteArray, reportedType);
    const CUploadDevice device = deviceOf(
        "<Plan><Device_Configuration><UBRIX IP='10.0.0.2'><TYPE>GATE</TYPE></UBRIX>"
        "</Device_Configuration></Plan>",
        true);
    CDeviceAnswers reported;
    reported.enter({"", "", "NAME", ""}, "Hall");
    if (reportedType != "-") {
        reported.enter({"", "", "TYPE", ""}, reportedType.toStdString());
    }
    QTEST(int(CUploadCompare::presence(device, reported)), "presence");
}

void TestUploadCompare::projectRefusesUnsafeAddresses_data() {
    using Refusal = CUploadDevice::Refusal;
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<QList<int>>("refusals");
    QTest::addColumn<QList<int>>("keys");  // the address's last octet, or the UID
    QTest::newRow("gateways")
        << QByteArray(
               "<UBRIX IP='10.0.0.2'/><UBRIX IP='0.0.0.1'/><UBRIX IP='255.255.255.255'/>"
               "<UBRIX IP='224.0.0.5'/><UBRIX IP='hall'/><UBRIX IP='10.0.0.3'/>"
               "<UBRIX NAME='x'/><UBRIX IP='127.0.0.2'/>")
        << QList<int>{int(Refusal::None),
                      int(Refusal::UnusableAddress),
                      int(Refusal::UnusableAddress),
                      int(Refusal::UnusableAddress),
                      int(Refusal::UnusableAddress),
                      int(Refusal::None),
                      int(Refusal::None)}
        << QList<int>{2, 1, 255, 5, 0, 3, 2};
    QTest::newRow("gateway twice")
        << QByteArray("<UBRIX IP='10.0.0.2'/><UBRIX IP='10.0.0.3'/><UBRIX IP='10.0.0.2'/>")
        << QList<int>{int(Refusal::Duplicate), int(Refusal::None), int(Refusal::Duplicate)}
        << QList<int>{2, 3, 2};
    QTest::newRow("bus devices")
        << QByteArray(
               "<DEVICE UID='12'/><DEVICE UID='abc'/><DEVICE UID='12abc'/>"
               "<DEVICE UID='0'/><DEVICE UID='012'/><DEVICE UID='2147483648'/>"
               "<DEVICE SN='100003'/><DEVICE UID='2147483647'/><DEVICE UID='-4'/>"
               "<DEVICE NAME='7' UID='7'/>")
        << QList<int>{int(Refusal::None),       int(Refusal::NotAUid), int(Refusal::NotAUid),
                      int(Refusal::NotAUid),    int(Refusal::NotAUid), int(Refusal::NotAUid),
                      int(Refusal::SerialOnly), int(Refusal::None),    int(Refusal::NotAUid),
                      int(Refusal::NotAUid)}
        << QList<int>{12, 0, 0, 0, 0, 0, 0, 2147483647, 0, 0};
    QTest::newRow("UID twice")
        << QByteArray(
               "<DEVICE UID='5'/><DEVICE UID='6'/><DEVICE UID='5'/><DEVICE UID='abc'/>"
               "<DEVICE UID='abc'/>")
        << QList<int>{int(Refusal::Duplicate), int(Refusal::None), int(Refusal::Duplicate),
                      int(Refusal::NotAUid), int(Refusal::NotAUid)}
        << QList<int>{5, 6, 5, 0, 0};
}

void TestUploadCompare::projectRefusesUnsafeAddresses() {
    QFETCH(QByteArray, devices);
    QFETCH(QList<int>, keys);
    const QByteArray text =
        "<Plan><Device_Configuration>" + devices + "</Device_Configuration></Plan>";
    const pugi::xml_document project = parse(text.constData());
    const bool gateways = devices.startsWith("<UBRIX");
    const std::vector<CUploadDevice> listed =
        gateways ? CUploadProject::gateways(project) : CUploadProject::busDevices(project);
    QList<int> refusals;
    QList<int> listedKeys;
    for (const CUploadDevice& device : listed) {
        refusals.append(int(device.refusal));
        listedKeys.append(gateways ? int(CIpv4Address::toHostOrder(device.address) & 0xFF)
                                   : device.uid);
    }
    QTEST(refusals, "refusals");
    QCOMPARE(listedKeys, keys);
}

void TestUploadCompare::reportedSettingsFromAPlanElement() {
    const pugi::xml_document plan = parse(
        "<UBRIX IP='10.0.0.2'><TYPE>GATE</TYPE><NETWORK><DHCP>ENABLE</DHCP></NETWORK>"
        "<PORT P='A' Name='Hall'><ALIAS>Hall</ALIAS><SERIAL><TYPE>KVBUS</TYPE></SERIAL></PORT>"
        "<TELNET><LOGIN A='2'>OFF</LOGIN></TELNET><NAME>Old</NAME><NAME/></UBRIX>");
    const CDeviceAnswers reported = CDeviceAnswers::fromPlanElement(plan.document_element());
    QCOMPARE(reported.size(), size_t(6));
    QCOMPARE(reported.type(), std::optional<std::string>("GATE"));
    const std::pair<CSettingAddress, const char*> expected[] = {
        {{"", "NETWORK", "DHCP", ""}, "ENABLE"},
        {{"A", "", "ALIAS", ""}, "Hall"},
        {{"A", "SERIAL", "TYPE", ""}, "KVBUS"},
        {{"", "TELNET", "LOGIN", "2"}, "OFF"},
        {{"", "", "NAME", ""}, ""},  // the later of the two
    };
    for (const auto& [place, value] : expected) {
        const std::optional<std::string_view> found = reported.find(place);
        QVERIFY2(found.has_value(), place.key.constData());
        QCOMPARE(std::string(*found), std::string(value));
    }
    QVERIFY(!reported.find({"", "TELNET", "LOGIN", ""}));
}

void TestUploadCompare::whatIsAskedByName_data() {
    QTest::addColumn<QByteArrayList>("reported");
    QTest::addColumn<QByteArray>("asked");  // the places asked by name; "all": the whole device
    // The project gives five settings; with the TYPE, six are needed.
    const QByteArray type = "||TYPE|=LAMP";
    const QByteArray alias = "||ALIAS|=Old";
    const QByteArray mode = "|LED|MODE|=RGB";
    const auto preset = [](const char* index) { return "|LED|PRESET|" + QByteArray(index) + "=0"; };
    QTest::newRow("nothing came: all") << QByteArrayList{} << QByteArray("all");
    QTest::newRow("two presets lost: those two") << QByteArrayList{type, alias, preset("1"), mode}
                                                 << QByteArray("LED.PRESET.2 LED.PRESET.3");
    QTest::newRow("the TYPE lost: the TYPE")
        << QByteArrayList{alias, preset("1"), preset("2"), preset("3"), mode} << QByteArray("TYPE");
    QTest::newRow("half lost, the TYPE with them: those three")
        << QByteArrayList{preset("2"), preset("3"), mode} << QByteArray("TYPE ALIAS LED.PRESET.1");
    QTest::newRow("most lost: all") << QByteArrayList{type, mode} << QByteArray("all");
    QTest::newRow("another type: nothing is asked by name")
        << QByteArrayList{"||TYPE|=GATE", alias} << QByteArray("all");
}

void TestUploadCompare::whatIsAskedByName() {
    QFETCH(QByteArrayList, reported);
    const CUploadDevice device = deviceOf(
        "<Plan><Device_Configuration><DEVICE UID='12'><TYPE>LAMP</TYPE><ALIAS>Desk</ALIAS>"
        "<LED><PRESET A='1'>1.1.1</PRESET><PRESET A='2'>2.2.2</PRESET><PRESET A='3'>3.3.3"
        "</PRESET><MODE>RGB</MODE></LED></DEVICE></Device_Configuration></Plan>",
        false);
    CDeviceAnswers answers;
    for (const QByteArray& line : reported) {
        const CDeviceAnswers one = reportedOf(line);
        for (const CSettingAddress& place : one.addresses()) {
            answers.enter(place, *one.find(place));
        }
    }
    const pugi::xml_document schema = parse(kSchema);
    const auto missing = CUploadCompare::missingByName(device, CValidationSchema(schema), answers);
    QByteArrayList asked;
    for (const CSettingAddress& place : missing.value_or(std::vector<CSettingAddress>())) {
        asked << place.text();
    }
    QTEST(missing ? asked.join(' ') : QByteArray("all"), "asked");
}

QTEST_APPLESS_MAIN(TestUploadCompare)
#include "TestUploadCompare.moc"
