#include "SimTestSupport.h"
#include "core/common/CXmlFile.h"
#include "core/plan/CModelTemplates.h"
#include "core/plan/CValidationSchema.h"
#include "sim/CSimDefaults.h"
#include "support/CDocFixture.h"

#include <QDir>
#include <QSet>
#include <QTest>

namespace {

QByteArray describe(const CSimSetting& setting) {
    return setting.address.text() + "=" + setting.value;
}

QString xpathOf(const QByteArray& base, const CSettingAddress& path) {
    QByteArray xpath = base;
    if (!path.port.isEmpty()) {
        xpath += "/PORT[@P='" + path.port + "']";
    }
    if (!path.group.isEmpty()) {
        xpath += "/" + path.group;
    }
    xpath += "/" + path.key;
    if (!path.index.isEmpty()) {
        xpath += "[@A='" + path.index + "']";
    }
    return QString::fromLatin1(xpath);
}

QByteArray trafficLine(quint32 sender, const QByteArray& reply) {
    QByteArray text = reply;
    text.chop(2);  // CR LF: the receive thread stops at the first of them
    return "[10:00:00] (" + CIpv4Address::toDotted(sender) + ") " + text;
}

}  // namespace

// What the simulated devices are made of: the shipped templates and schema, complete, and
// in a shape the program's reply parser enters without a single error.
class TestSimModels : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void knowsTheGatewayAndBusTypes();
    void everyTypeStartsWithCompleteSettings_data();
    void everyTypeStartsWithCompleteSettings();
    void keepsEveryTemplateSetting_data();
    void keepsEveryTemplateSetting();
    void addsWhatOnlyTheSchemaNames();
    void readsIndexedSettingsFromTheSchema();
    void otherTypeStaysInTheFamily_data();
    void otherTypeStaysInTheFamily();
    void builderNumbersTheSiteAsDocumented();
    void builderRefusesWhatItCannotMake_data();
    void builderRefusesWhatItCannotMake();
    void programEntersEveryReportOfEveryType();

private:
    std::shared_ptr<CSimModels> m_models;
};

void TestSimModels::initTestCase() {
    m_models = simtest::shippedModels();
}

void TestSimModels::knowsTheGatewayAndBusTypes() {
    QCOMPARE(m_models->gatewayTypes(), QList<QByteArray>({"UBRIX_A", "UBRIX_B", "UBRIX_C"}));
    QCOMPARE(m_models->busTypes().size(), 37);
    QVERIFY(!m_models->busTypes().contains("UBRIX_A"));
    QCOMPARE(m_models->templateTypes(true), QList<QByteArray>({"UBRIX_A", "UBRIX_B", "UBRIX_C"}));
    QCOMPARE(m_models->templateTypes(false),
             QList<QByteArray>(
                 {"LUMET_AC", "LUMET_AM", "LUMET_BC", "LUMET_BM", "MOTRA_AC", "TAVO_A", "TAVO_B"}));
    QVERIFY(m_models->hasType("TORMA_C"));
    QVERIFY(!m_models->hasType("LUMET"));
    QVERIFY(!m_models->hasType("lumet_ac"));
}

void TestSimModels::everyTypeStartsWithCompleteSettings_data() {
    QTest::addColumn<QByteArray>("type");
    for (const QByteArray& type : m_models->gatewayTypes() + m_models->busTypes()) {
        QTest::newRow(type.constData()) << type;
    }
}

void TestSimModels::everyTypeStartsWithCompleteSettings() {
    QFETCH(QByteArray, type);
    const CSimSettings settings = m_models->settingsFor(type);
    CSettingAddress typePath;
    typePath.key = "TYPE";
    QCOMPARE(settings.value(typePath), type);
    QSet<QByteArray> seen;
    for (const CSimSetting& setting : settings.all()) {
        // An empty setting reads as a broken one in the program's trees.
        QVERIFY2(!setting.value.isEmpty(), describe(setting).constData());
        // Each path reads back as itself, so a set command reaches the setting reported.
        const auto reread = CSettingAddress::parseWellFormed(setting.address.text());
        QVERIFY2(reread && *reread == setting.address, describe(setting).constData());
        QVERIFY2(!seen.contains(setting.address.text()), describe(setting).constData());
        seen.insert(setting.address.text());
    }
    // Every setting the schema names for the type is there, on some port or none, and of
    // its value type: the demonstration marks no value as invalid.
    const CValidationSchema schema(m_models->schema());
    for (const CSimSetting& setting : settings.all()) {
        const QString problem =
            CValidationSchema::valueType(schema.setting(type.toStdString(), setting.address))
                .problem(QString::fromLatin1(setting.value));
        QVERIFY2(problem.isEmpty(), qPrintable(describe(setting) + ' ' + problem.toLatin1()));
    }
    const pugi::xml_node device = schema.device(type.toStdString());
    QVERIFY(device);
    for (const pugi::xpath_node& hit : device.select_nodes(".//*[@c]")) {
        const pugi::xml_node entry = hit.node();
        const bool inGroup = entry.parent() != device;
        const QByteArray group = inGroup ? QByteArray(entry.parent().name()) : QByteArray();
        QVERIFY2(settings.hasGroupKeyAnywhere(group, entry.name()),
                 qPrintable(group + "." + entry.name()));
    }
}

void TestSimModels::keepsEveryTemplateSetting_data() {
    QTest::addColumn<QString>("fileName");
    for (const CModelTemplates::Model& model : CModelTemplates::models()) {
        QTest::newRow(model.fileName) << QString::fromLatin1(model.fileName);
    }
}

void TestSimModels::keepsEveryTemplateSetting() {
    QFETCH(QString, fileName);
    pugi::xml_document document;
    QString reason;
    QVERIFY2(CXmlFile::load(testsupport::runtimePath(fileName), document, reason),
             qPrintable(reason));
    const pugi::xml_node model = document.select_node("/Plan/Device_Configuration/*[1]").node();
    const CSimSettings shipped = CSimSettings::fromElement(model);
    const CSimSettings made = m_models->settingsFor(model.child("TYPE").text().get());
    QVERIFY(shipped.size() > 3);
    qsizetype previous = -1;
    for (const CSimSetting& setting : shipped.all()) {
        const CSimSetting* found = made.find(setting.address);
        QVERIFY2(found != nullptr, describe(setting).constData());
        QCOMPARE(found->value, setting.value);
        // In the template's order, so the reports read like the template.
        const qsizetype at = found - made.all().constData();
        QVERIFY2(at > previous, describe(setting).constData());
        previous = at;
    }
}

void TestSimModels::addsWhatOnlyTheSchemaNames() {
    const CSimSettings gateway = m_models->settingsFor("UBRIX_A");
    for (const char* path :
         {"VERSION_HW", "NETWORK.MAC_ADD", "NETWORK.STATIC_IP", "TELNET.LOGIN", "C.SERIAL.BAUD"}) {
        QVERIFY2(gateway.find(*CSettingAddress::parseWellFormed(path)) != nullptr, path);
    }
    // Settings bound to a port stay on that port.
    QVERIFY(gateway.find(*CSettingAddress::parseWellFormed("A.SERIAL.BAUD")) == nullptr);
    QVERIFY(gateway.find(*CSettingAddress::parseWellFormed("SERIAL.BAUD")) == nullptr);
    QCOMPARE(gateway.value(*CSettingAddress::parseWellFormed("C.SERIAL.BAUD")), QByteArray("9600"));
    QCOMPARE(gateway.value(*CSettingAddress::parseWellFormed("NETWORK.DHCP")),
             QByteArray("ENABLE"));

    // A group the template keeps under ports gets the missing settings on each port.
    const CSimSettings lamp = m_models->settingsFor("LUMET_AC");
    QCOMPARE(lamp.value(*CSettingAddress::parseWellFormed("A.LED.LEVEL")), QByteArray("0"));
    QCOMPARE(lamp.value(*CSettingAddress::parseWellFormed("B.LED.LEVEL")), QByteArray("0"));
    QVERIFY(lamp.find(*CSettingAddress::parseWellFormed("LED.LEVEL")) == nullptr);
    QVERIFY(lamp.find(*CSettingAddress::parseWellFormed("SN")) != nullptr);
    QCOMPARE(lamp.value(*CSettingAddress::parseWellFormed("VOLTAGE.SUPPLY")), QByteArray("24.1"));
    // The first option of a choice.
    QCOMPARE(m_models->settingsFor("LUMET_CC").value(*CSettingAddress::parseWellFormed("LED.MODE")),
             QByteArray("RGB"));
}

void TestSimModels::readsIndexedSettingsFromTheSchema() {
    const CSimSettings keypad = m_models->settingsFor("TAVO_C");
    for (int index = 1; index <= CSimDefaults::kIndexedEntries; ++index) {
        const QByteArray suffix = "." + QByteArray::number(index);
        QVERIFY(keypad.find(*CSettingAddress::parseWellFormed("KEY.ACTION" + suffix)) != nullptr);
        QVERIFY(keypad.find(*CSettingAddress::parseWellFormed("KEY.TARGET" + suffix)) != nullptr);
    }
    QVERIFY(keypad.find(*CSettingAddress::parseWellFormed("KEY.ACTION")) == nullptr);
    QVERIFY(keypad.find(*CSettingAddress::parseWellFormed("KEY.HOLD_TIME")) != nullptr);

    const CSimSettings inputs = m_models->settingsFor("VEXRS_B");
    QVERIFY(inputs.find(*CSettingAddress::parseWellFormed("LV.MODE.4")) != nullptr);
    QVERIFY(inputs.find(*CSettingAddress::parseWellFormed("LV.ACTION.1")) != nullptr);
    QVERIFY(inputs.find(*CSettingAddress::parseWellFormed("LV.TARGET")) != nullptr);
    QVERIFY(inputs.find(*CSettingAddress::parseWellFormed("LV.TARGET.1")) == nullptr);
    // The template's own indexes stand as they are.
    const CSimSettings lamp = m_models->settingsFor("LUMET_AC");
    QCOMPARE(lamp.value(*CSettingAddress::parseWellFormed("A.LED.PRESET.2")),
             QByteArray("255.0.0"));
}

void TestSimModels::otherTypeStaysInTheFamily_data() {
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("other");
    QTest::newRow("gateway") << QByteArray("UBRIX_A") << QByteArray("UBRIX_B");
    QTest::newRow("last of its family wraps") << QByteArray("UBRIX_C") << QByteArray("UBRIX_A");
    QTest::newRow("lamp") << QByteArray("LUMET_CM") << QByteArray("LUMET_AC");
    QTest::newRow("repeater") << QByteArray("FENLO_A") << QByteArray("FENLO_B");
}

void TestSimModels::otherTypeStaysInTheFamily() {
    QFETCH(QByteArray, type);
    QTEST(m_models->otherTypeOfFamily(type), "other");
}

void TestSimModels::builderNumbersTheSiteAsDocumented() {
    CSimSiteConfig config;
    config.addresses = {simtest::ip("10.77.1.10"), simtest::ip("10.77.1.11")};
    config.devicesPerGateway = 8;
    config.unaddressedPerGateway = 2;
    QString error;
    const auto site = CSimSiteBuilder::build(m_models, config, error);
    QVERIFY2(site, qPrintable(error));
    QCOMPARE(site->gateways().size(), 2);
    const CSimGateway& second = site->gateways()[1];
    QCOMPARE(second.type(), QByteArray("UBRIX_B"));
    QCOMPARE(second.name(), QByteArray("Ubrix 2"));
    QCOMPARE(second.settings().value(*CSettingAddress::parseWellFormed("NETWORK.STATIC_IP")),
             QByteArray("10.77.1.11"));
    QCOMPARE(second.settings().value(*CSettingAddress::parseWellFormed("NETWORK.MAC_ADD")),
             QByteArray("00:1B:C5:4D:01:0B"));
    QCOMPARE(second.devices().size(), 8);
    const CSimBusDevice& first = second.devices()[0];
    QCOMPARE(first.serial(), 101001u);
    QCOMPARE(first.uid(), std::optional<quint32>(9));
    // Types go round the bus device templates over the whole site: this is the ninth.
    QCOMPARE(first.type(), QByteArray("LUMET_AM"));
    QCOMPARE(first.settings().value(*CSettingAddress::parseWellFormed("SN")), QByteArray("101001"));
    QCOMPARE(first.settings().value(*CSettingAddress::parseWellFormed("ALIAS")),
             QByteArray("DEV101001"));
    QCOMPARE(second.devices()[5].uid(), std::optional<quint32>(14));
    QVERIFY(!second.devices()[6].uid());
    QVERIFY(!second.devices()[7].uid());

    // Keypad channels: LED outputs at 2.<gateway>.n, motors at 1.<gateway>.n.
    const CSimGateway& gateway = site->gateways()[0];
    const CSimBusDevice& lamp = gateway.devices()[0];  // LUMET_AC, ports A and B
    QCOMPARE(lamp.channels().size(), 2);
    QCOMPARE(lamp.channels()[0].address(), (CSimKeypadAddress{2, 1, 1}));
    QCOMPARE(lamp.channels()[1].address(), (CSimKeypadAddress{2, 1, 2}));
    QCOMPARE(lamp.channels()[1].port(), QByteArray("B"));
    const CSimBusDevice& motor = gateway.devices()[4];  // MOTRA_AC
    QCOMPARE(motor.type(), QByteArray("MOTRA_AC"));
    QCOMPARE(motor.channels().size(), 2);
    QCOMPARE(motor.channels()[0].address(), (CSimKeypadAddress{1, 1, 1}));
    QVERIFY(gateway.devices()[5].channels().isEmpty());  // a keypad drives nothing itself
}

void TestSimModels::builderRefusesWhatItCannotMake_data() {
    QTest::addColumn<QList<QByteArray>>("deviceTypes");
    QTest::addColumn<QList<QByteArray>>("gatewayTypes");
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown device type")
        << QList<QByteArray>{"LUMET_AC", "LAMP"} << QList<QByteArray>{} << 2
        << QStringLiteral("unknown device type LAMP");
    QTest::newRow("unknown gateway type") << QList<QByteArray>{} << QList<QByteArray>{"UBRIX_Z"}
                                          << 2 << QStringLiteral("unknown device type UBRIX_Z");
    QTest::newRow("too many devices") << QList<QByteArray>{} << QList<QByteArray>{} << 1000
                                      << QStringLiteral("at most 999 devices per gateway");
}

void TestSimModels::builderRefusesWhatItCannotMake() {
    QFETCH(QList<QByteArray>, deviceTypes);
    QFETCH(QList<QByteArray>, gatewayTypes);
    QFETCH(int, devices);
    CSimSiteConfig config;
    config.addresses = {simtest::ip("10.77.1.10")};
    config.devicesPerGateway = devices;
    config.deviceTypes = deviceTypes;
    config.gatewayTypes = gatewayTypes;
    QString error;
    QVERIFY(!CSimSiteBuilder::build(m_models, config, error));
    QTEST(error, "error");
}

// Every gateway type and every bus device type reports all it has; the program's own
// AddMsg takes it all in without one error, and the plan then holds every setting with
// its value.
void TestSimModels::programEntersEveryReportOfEveryType() {
    CSimSiteConfig config;
    config.addresses = {simtest::ip("10.77.1.10"), simtest::ip("10.77.1.11"),
                        simtest::ip("10.77.1.12")};
    config.devicesPerGateway = static_cast<int>(m_models->busTypes().size());
    config.deviceTypes = m_models->busTypes();
    QString error;
    auto site = CSimSiteBuilder::build(m_models, config, error);
    QVERIFY2(site, qPrintable(error));
    const quint32 program = simtest::ip("10.77.1.1");
    qint64 now = 1000;
    for (int g = 0; g < site->gateways().size(); ++g) {
        site->receive(g, "&=?;", program, now);
        site->receive(g, "#UID=REGISTER;", program, now);
        for (const CSimBusDevice& device : site->gateways()[g].devices()) {
            site->receive(g, "#UID" + QByteArray::number(*device.uid()) + "=?;", program, now);
        }
    }
    CDocFixture fixture;
    QList<QByteArray> lines;
    for (const CSimOutgoing& outgoing : site->takeDue(now)) {
        QVERIFY(outgoing.bytes.endsWith("\r\n"));
        lines.append(trafficLine(site->gateways()[outgoing.gateway].address(), outgoing.bytes));
    }
    fixture.receive(lines);
    QVERIFY(fixture.doc().inboundQueue().isEmpty());
    QCOMPARE(fixture.errorLogText(), QByteArray());

    const pugi::xml_document& plan = fixture.doc().plan();
    int checked = 0;
    for (const CSimGateway& gateway : site->gateways()) {
        const QByteArray base = "/Plan/Device_Configuration/UBRIX[@IP='" +
                                CIpv4Address::toDotted(gateway.address()) + "']";
        for (const CSimSetting& setting : gateway.settings().all()) {
            const pugi::xpath_node hit =
                plan.select_node(xpathOf(base, setting.address).toUtf8().constData());
            QVERIFY2(hit, qPrintable(xpathOf(base, setting.address)));
            QCOMPARE(QByteArray(hit.node().text().get()), setting.value);
            ++checked;
        }
        for (const CSimBusDevice& device : gateway.devices()) {
            const QByteArray deviceBase = "/Plan/Device_Configuration/DEVICE[@UID='" +
                                          QByteArray::number(*device.uid()) + "']";
            for (const CSimSetting& setting : device.settings().all()) {
                const QString xpath = xpathOf(deviceBase, setting.address);
                const pugi::xpath_node hit = plan.select_node(xpath.toUtf8().constData());
                QVERIFY2(hit, qPrintable(xpath));
                QCOMPARE(QByteArray(hit.node().text().get()), setting.value);
                ++checked;
            }
            const QByteArray entry = "/Plan/Network_Configuration/UBRIX[@IP='" +
                                     CIpv4Address::toDotted(gateway.address()) +
                                     "']/DEVICE[@UID='" + QByteArray::number(*device.uid()) + "']";
            QVERIFY2(plan.select_node(entry.constData()), entry.constData());
        }
    }
    QVERIFY2(checked > 1500, qPrintable(QString::number(checked)));
}

QTEST_GUILESS_MAIN(TestSimModels)
#include "TestSimModels.moc"
