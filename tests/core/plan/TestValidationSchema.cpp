#include "core/common/CXmlFile.h"
#include "core/plan/CValidationSchema.h"
#include "support/TestSupport.h"

#include <QTest>
#include <string>

namespace {

// What a found entry is, in one comparable line: control word, port, options.
QString describe(const pugi::xml_node& setting) {
    if (!setting) {
        return QStringLiteral("-");
    }
    QStringList texts;
    for (const std::string& text : CValidationSchema::options(setting)) {
        texts << QString::fromStdString(text);
    }
    return QStringLiteral("%1|%2|%3")
        .arg(QString::fromUtf8(CValidationSchema::controlWord(setting)),
             QString::fromUtf8(setting.attribute("p").value()), texts.join(u','));
}

}  // namespace

class TestValidationSchema : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void device_data();
    void device();
    void setting_data();
    void setting();
    void firstSetting_data();
    void firstSetting();
    void control_data();
    void control();
    void allows_data();
    void allows();
    void laterDuplicateOptionWins();
    void commentInsideComboReadsAsOption();
    void emptySchemaFindsNothing();

private:
    pugi::xml_document m_document;
};

void TestValidationSchema::initTestCase() {
    QString reason;
    QVERIFY2(CXmlFile::load(testsupport::dataPath(QStringLiteral("schema/lookup.xml")), m_document,
                            reason),
             qPrintable(reason));
}

void TestValidationSchema::device_data() {
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("foundAlias");

    QTest::newRow("exact") << QByteArray("LAMP_X") << QStringLiteral("EDIT||");
    QTest::newRow("other case is another type") << QByteArray("lamp_x") << QStringLiteral("READ||");
    QTest::newRow("trailing blank") << QByteArray("LAMP_X ") << QStringLiteral("-");
    QTest::newRow("leading blank") << QByteArray(" LAMP_X") << QStringLiteral("-");
    QTest::newRow("prefix") << QByteArray("LAMP") << QStringLiteral("-");
    QTest::newRow("longer") << QByteArray("LAMP_XY") << QStringLiteral("-");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("-");
    QTest::newRow("quote in type") << QByteArray("Q'T") << QStringLiteral("EDIT||");
    QTest::newRow("injection attempt") << QByteArray("x' or '1'='1") << QStringLiteral("-");
}

void TestValidationSchema::device() {
    QFETCH(QByteArray, type);
    QFETCH(QString, foundAlias);
    const CValidationSchema schema(m_document);
    const std::string_view text(type.constData(), static_cast<size_t>(type.size()));
    const pugi::xml_node entry = schema.device(text);
    QCOMPARE(describe(entry.child("ALIAS")), foundAlias);
    if (entry) {
        QCOMPARE(QByteArray(entry.attribute("TYPE").value()), type);
    }
}

void TestValidationSchema::setting_data() {
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("found");

    QTest::newRow("top level") << QByteArray("GW_ONE") << QByteArray() << QByteArray()
                               << QByteArray("NAME") << QStringLiteral("EDIT||");
    QTest::newRow("in a group") << QByteArray("GW_ONE") << QByteArray() << QByteArray("NETWORK")
                                << QByteArray("DHCP") << QStringLiteral("COMBO||DISABLE,ENABLE");
    QTest::newRow("group key not at top level")
        << QByteArray("GW_ONE") << QByteArray() << QByteArray() << QByteArray("DHCP")
        << QStringLiteral("-");
    QTest::newRow("top key not in a group")
        << QByteArray("GW_ONE") << QByteArray() << QByteArray("NETWORK") << QByteArray("NAME")
        << QStringLiteral("-");
    QTest::newRow("port A") << QByteArray("GW_ONE") << QByteArray("A") << QByteArray("SERIAL")
                            << QByteArray("TYPE") << QStringLiteral("COMBO|A|KVBUS,NONE");
    QTest::newRow("port C") << QByteArray("GW_ONE") << QByteArray("C") << QByteArray("SERIAL")
                            << QByteArray("TYPE") << QStringLiteral("COMBO|C|RS232,NONE");
    QTest::newRow("port without entry")
        << QByteArray("GW_ONE") << QByteArray("B") << QByteArray("SERIAL") << QByteArray("TYPE")
        << QStringLiteral("-");
    QTest::newRow("port letter is case-sensitive")
        << QByteArray("GW_ONE") << QByteArray("a") << QByteArray("SERIAL") << QByteArray("TYPE")
        << QStringLiteral("-");
    QTest::newRow("power only on A")
        << QByteArray("GW_ONE") << QByteArray("B") << QByteArray("SERIAL") << QByteArray("POWER")
        << QStringLiteral("-");
    QTest::newRow("port-bound entries need a port")
        << QByteArray("GW_ONE") << QByteArray() << QByteArray("SERIAL") << QByteArray("TYPE")
        << QStringLiteral("-");
    QTest::newRow("bound entry beats port-free one")
        << QByteArray("GW_ONE") << QByteArray("B") << QByteArray("SERIAL") << QByteArray("SPEED")
        << QStringLiteral("COMBO|B|FAST");
    QTest::newRow("port-free entry for another port")
        << QByteArray("GW_ONE") << QByteArray("C") << QByteArray("SERIAL") << QByteArray("SPEED")
        << QStringLiteral("EDIT||");
    QTest::newRow("port-free entry without port")
        << QByteArray("GW_ONE") << QByteArray() << QByteArray("SERIAL") << QByteArray("SPEED")
        << QStringLiteral("EDIT||");
    QTest::newRow("port-free entry under a port")
        << QByteArray("LAMP_X") << QByteArray("B") << QByteArray("LED") << QByteArray("DISSOLVE")
        << QStringLiteral("EDIT||");
    QTest::newRow("first of two port-free entries")
        << QByteArray("LAMP_X") << QByteArray() << QByteArray("LED") << QByteArray("DISSOLVE")
        << QStringLiteral("EDIT||");
    QTest::newRow("second group of the same name")
        << QByteArray("LAMP_X") << QByteArray() << QByteArray("LED") << QByteArray("PRESET")
        << QStringLiteral("EDIT||");
    QTest::newRow("key case matters") << QByteArray("GW_ONE") << QByteArray() << QByteArray()
                                      << QByteArray("name") << QStringLiteral("-");
    QTest::newRow("unknown group") << QByteArray("GW_ONE") << QByteArray() << QByteArray("UDP")
                                   << QByteArray("LISTEN_PORT") << QStringLiteral("-");
    QTest::newRow("unknown type") << QByteArray("GW_TWO") << QByteArray() << QByteArray()
                                  << QByteArray("NAME") << QStringLiteral("-");
    QTest::newRow("other type's setting") << QByteArray("LAMP_X") << QByteArray() << QByteArray()
                                          << QByteArray("NAME") << QStringLiteral("-");
    QTest::newRow("a group is no setting") << QByteArray("GW_ONE") << QByteArray() << QByteArray()
                                           << QByteArray("NETWORK") << QStringLiteral("-");
    QTest::newRow("options are no settings")
        << QByteArray("GW_ONE") << QByteArray() << QByteArray("NETWORK") << QByteArray("OPTION")
        << QStringLiteral("-");
    QTest::newRow("a bare setting is found")
        << QByteArray("LAMP_X") << QByteArray() << QByteArray("LED") << QByteArray("BARE")
        << QStringLiteral("||");
}

void TestValidationSchema::setting() {
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, port);
    QFETCH(QByteArray, group);
    QFETCH(QByteArray, key);
    QFETCH(QString, found);
    const CValidationSchema schema(m_document);
    QCOMPARE(describe(schema.setting(type.toStdString(), port.toStdString(), group.toStdString(),
                                     key.toStdString())),
             found);
}

void TestValidationSchema::firstSetting_data() {
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("found");

    QTest::newRow("first bound entry")
        << QByteArray("SERIAL") << QByteArray("TYPE") << QStringLiteral("COMBO|A|KVBUS,NONE");
    QTest::newRow("single bound entry")
        << QByteArray("SERIAL") << QByteArray("POWER") << QStringLiteral("COMBO|A|DISABLE,ENABLE");
    QTest::newRow("bound before free")
        << QByteArray("SERIAL") << QByteArray("SPEED") << QStringLiteral("COMBO|B|FAST");
    QTest::newRow("plain") << QByteArray("NETWORK") << QByteArray("DHCP")
                           << QStringLiteral("COMBO||DISABLE,ENABLE");
    QTest::newRow("top level") << QByteArray() << QByteArray("NAME") << QStringLiteral("EDIT||");
    QTest::newRow("missing") << QByteArray("SERIAL") << QByteArray("BAUD") << QStringLiteral("-");
    QTest::newRow("a group is no setting")
        << QByteArray() << QByteArray("SERIAL") << QStringLiteral("-");
}

void TestValidationSchema::firstSetting() {
    QFETCH(QByteArray, group);
    QFETCH(QByteArray, key);
    QFETCH(QString, found);
    const CValidationSchema schema(m_document);
    QCOMPARE(describe(schema.firstSetting("GW_ONE", group.toStdString(), key.toStdString())),
             found);
}

void TestValidationSchema::control_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("control");

    QTest::newRow("EDIT") << QByteArray("DISSOLVE") << int(CValidationSchema::Control::Edit);
    QTest::newRow("COMBO") << QByteArray("CURVE") << int(CValidationSchema::Control::Combo);
    QTest::newRow("READ") << QByteArray("LEVEL") << int(CValidationSchema::Control::ReadOnly);
    QTest::newRow("c not first") << QByteArray("FLAGS")
                                 << int(CValidationSchema::Control::ReadOnly);
    QTest::newRow("no attribute") << QByteArray("BARE")
                                  << int(CValidationSchema::Control::ReadOnly);
    QTest::newRow("lower-case word")
        << QByteArray("LOWER") << int(CValidationSchema::Control::ReadOnly);
    QTest::newRow("missing setting")
        << QByteArray("NOTHING") << int(CValidationSchema::Control::ReadOnly);
}

void TestValidationSchema::control() {
    QFETCH(QByteArray, key);
    QFETCH(int, control);
    const CValidationSchema schema(m_document);
    const pugi::xml_node entry = schema.setting("LAMP_X", "", "LED", key.toStdString());
    QCOMPARE(int(CValidationSchema::control(entry)), control);
}

void TestValidationSchema::allows_data() {
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("option") << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray("ENABLE")
                            << true;
    QTest::newRow("other case") << QByteArray("NETWORK") << QByteArray("DHCP")
                                << QByteArray("enable") << false;
    QTest::newRow("trailing blank")
        << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray("ENABLE ") << false;
    QTest::newRow("empty for combo")
        << QByteArray("NETWORK") << QByteArray("DHCP") << QByteArray() << false;
    QTest::newRow("edit takes anything")
        << QByteArray() << QByteArray("NAME") << QByteArray("Hall; =?") << true;
    QTest::newRow("edit takes empty") << QByteArray() << QByteArray("NAME") << QByteArray() << true;
    QTest::newRow("read-only takes nothing")
        << QByteArray() << QByteArray("TYPE") << QByteArray("GW_ONE") << false;
    QTest::newRow("missing takes nothing")
        << QByteArray() << QByteArray("ALIAS") << QByteArray("x") << false;
}

void TestValidationSchema::allows() {
    QFETCH(QByteArray, group);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(bool, allowed);
    const CValidationSchema schema(m_document);
    const pugi::xml_node entry =
        schema.setting("GW_ONE", "", group.toStdString(), key.toStdString());
    QCOMPARE(CValidationSchema::allows(entry, value.toStdString()), allowed);
}

void TestValidationSchema::laterDuplicateOptionWins() {
    const CValidationSchema schema(m_document);
    const pugi::xml_node curve = schema.setting("LAMP_X", "", "LED", "CURVE");
    QCOMPARE(CValidationSchema::lastOptionIndex(curve, "LINEAR"), 2);
    QCOMPARE(CValidationSchema::lastOptionIndex(curve, "LOG"), 1);
    QCOMPARE(CValidationSchema::lastOptionIndex(curve, "linear"), -1);
    QCOMPARE(CValidationSchema::lastOptionIndex(pugi::xml_node(), "LINEAR"), -1);
}

void TestValidationSchema::commentInsideComboReadsAsOption() {
    // The readers take every child of a COMBO as an option; a comment there becomes a
    // choice that no device accepts. The shipped schema therefore has none.
    const CValidationSchema schema(m_document);
    const pugi::xml_node noted = schema.setting("LAMP_X", "", "LED", "NOTED");
    QVERIFY(noted.last_child().type() == pugi::node_comment);
    QCOMPARE(CValidationSchema::options(noted), (std::vector<std::string>{"ON", "OFF"}));
    QVERIFY(CValidationSchema::allows(noted, "OFF"));
}

void TestValidationSchema::emptySchemaFindsNothing() {
    const pugi::xml_document empty;
    const CValidationSchema schema(empty);
    QVERIFY(!schema.device("GW_ONE"));
    QVERIFY(!schema.setting("GW_ONE", "", "", "NAME"));
    QVERIFY(!schema.firstSetting("GW_ONE", "", "NAME"));
    QVERIFY(!CValidationSchema::allows(schema.setting("GW_ONE", "", "", "NAME"), "x"));
}

QTEST_APPLESS_MAIN(TestValidationSchema)
#include "TestValidationSchema.moc"
