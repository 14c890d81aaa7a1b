#include "support/CDocFixture.h"

#include "core/common/CXmlError.h"
#include "core/project/CProjectLookup.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

using Role = CProjectDevice::Role;

const CProjectDevice::Role kGateway = Role::Gateway;
const CProjectDevice::Role kBus = Role::BusDevice;

// A project of the given devices, opened in the fixture's document.
void openProject(CDocFixture& fixture, const QByteArray& devices) {
    const QString path = fixture.path(QStringLiteral("project.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
               "</Device_Configuration><Network_Configuration/></Plan>");
    file.close();
    QVERIFY(fixture.doc().openProject(path));
}

QByteArray projectText(const CDocFixture& fixture) {
    return CDocFixture::compact(
        CProjectLookup::deviceConfiguration(*fixture.doc().templateDocument()));
}

QByteArray manyGateways(const char* prefix, int count) {
    QByteArray text;
    for (int n = 0; n < count; ++n) {
        text += "<UBRIX IP=\"" + QByteArray(prefix) + QByteArray::number(n) + "\"/>";
    }
    return text;
}

}  // namespace

Q_DECLARE_METATYPE(CProjectDevice::Role)

// The changes the device map view and the command-line tool make to a project: what each
// leaves in the project, what it refuses and that every one of them can be undone.
class TestTemplateOperations : public QObject {
    Q_OBJECT

private slots:
    void copy_data();
    void copy();
    void changeAddress_data();
    void changeAddress();
    void setValue_data();
    void setValue();
    void deleteTakesTheDeviceByItsRole();
    void aDeviceNotInTheProjectIsAnXmlError();
    void everyEditUndoesAndRedoes();
    void savedStateIsTheUnsavedMarksReference();
};

void TestTemplateOperations::copy_data() {
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<CProjectDevice::Role>("role");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("expected");  // the project afterwards; empty: unchanged
    QTest::addColumn<int>("messages");

    QTest::newRow("gateway skips a taken address and goes last")
        << QByteArray(R"(<UBRIX IP="0.0.0.1"><NAME>A</NAME></UBRIX><UBRIX IP="0.0.0.2"/>)")
        << kGateway << "0.0.0.1"
        << QByteArray(R"(<Device_Configuration><UBRIX IP="0.0.0.1"><NAME>A</NAME></UBRIX>)"
                      R"(<UBRIX IP="0.0.0.2"/><UBRIX IP="0.0.0.3"><NAME>A</NAME></UBRIX>)"
                      R"(</Device_Configuration>)")
        << 0;
    QTest::newRow("device counts up past taken UIDs")
        << QByteArray(R"(<DEVICE UID="4"><TYPE>LUMET_AC</TYPE></DEVICE><DEVICE UID="5"/>)"
                      R"(<DEVICE UID="6"/>)")
        << kBus << "4"
        << QByteArray(R"(<Device_Configuration><DEVICE UID="4"><TYPE>LUMET_AC</TYPE></DEVICE>)"
                      R"(<DEVICE UID="5"/><DEVICE UID="6"/>)"
                      R"(<DEVICE UID="7"><TYPE>LUMET_AC</TYPE></DEVICE></Device_Configuration>)")
        << 0;
    QTest::newRow("a device without TYPE copies as a device")
        << QByteArray(R"(<DEVICE UID="9"><PORT P="A"/></DEVICE>)") << kBus << "9"
        << QByteArray(R"(<Device_Configuration><DEVICE UID="9"><PORT P="A"/></DEVICE>)"
                      R"(<DEVICE UID="10"><PORT P="A"/></DEVICE></Device_Configuration>)")
        << 0;
    QTest::newRow("the last octet wraps as a byte, past 0.0.0.0")
        << QByteArray(R"(<UBRIX IP="0.0.0.254"/><UBRIX IP="0.0.0.255"/>)") << kGateway
        << "0.0.0.254"
        << QByteArray(R"(<Device_Configuration><UBRIX IP="0.0.0.254"/><UBRIX IP="0.0.0.255"/>)"
                      R"(<UBRIX IP="0.0.0.1"/></Device_Configuration>)")
        << 0;
    QTest::newRow("all 256 addresses taken gives up")
        << manyGateways("10.0.0.", 256) << kGateway << "10.0.0.7" << QByteArray() << 1;
    QTest::newRow("no UID above 65535")
        << QByteArray(R"(<DEVICE UID="65535"/>)") << kBus << "65535" << QByteArray() << 1;
    QTest::newRow("an address in no valid form is not counted up")
        << QByteArray(R"(<DEVICE UID="12x"/>)") << kBus << "12x" << QByteArray() << 1;
}

void TestTemplateOperations::copy() {
    QFETCH(QByteArray, devices);
    QFETCH(CProjectDevice::Role, role);
    QFETCH(QString, id);
    QFETCH(QByteArray, expected);
    QFETCH(int, messages);

    CDocFixture fixture;
    openProject(fixture, devices);
    const QByteArray before = projectText(fixture);
    fixture.takeHints();
    const auto copied = fixture.doc().copyTemplateDevice({role, id.toStdString()});
    QCOMPARE(projectText(fixture), expected.isEmpty() ? before : expected);
    QCOMPARE(copied.has_value(), !expected.isEmpty());
    QCOMPARE(fixture.notifier().messages().size(), messages);
    QCOMPARE(fixture.takeHints(), expected.isEmpty()
                                      ? QList<quint32>{}
                                      : QList<quint32>{CUbrixVorelDoc::kHintRestructured});
}

void TestTemplateOperations::changeAddress_data() {
    QTest::addColumn<CProjectDevice::Role>("role");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // the device's address afterwards
    // A refusal is said: another device's address, and a text in no valid form.
    QTest::addColumn<int>("messages");

    QTest::newRow("gateway address") << kGateway << "0.0.0.1"
                                     << "10.0.0.7"
                                     << "10.0.0.7" << 0;
    QTest::newRow("blanks around it") << kGateway << "0.0.0.1"
                                      << " 10.0.0.7 "
                                      << "10.0.0.7" << 0;
    QTest::newRow("short form 10.1") << kGateway << "0.0.0.1"
                                     << "10.1"
                                     << "0.0.0.1" << 1;
    QTest::newRow("no address") << kGateway << "0.0.0.1"
                                << "abc"
                                << "0.0.0.1" << 1;
    QTest::newRow("0.0.0.0") << kGateway << "0.0.0.1"
                             << "0.0.0.0"
                             << "0.0.0.1" << 1;
    QTest::newRow("broadcast") << kGateway << "0.0.0.1"
                               << "255.255.255.255"
                               << "0.0.0.1" << 1;
    QTest::newRow("another gateway's") << kGateway << "0.0.0.1"
                                       << "10.0.0.2"
                                       << "0.0.0.1" << 1;
    QTest::newRow("UID") << kBus << "5"
                         << "40"
                         << "40" << 0;
    QTest::newRow("UID with leading zeros") << kBus << "5"
                                            << "007"
                                            << "7" << 0;
    QTest::newRow("12x") << kBus << "5"
                         << "12x"
                         << "5" << 1;
    QTest::newRow("0") << kBus << "5"
                       << "0"
                       << "5" << 1;
    QTest::newRow("negative") << kBus << "5"
                              << "-3"
                              << "5" << 1;
    QTest::newRow("above the range") << kBus << "5"
                                     << "65536"
                                     << "5" << 1;
    QTest::newRow("another device's") << kBus << "5"
                                      << "6"
                                      << "5" << 1;
    QTest::newRow("untyped KADEL-less device") << kBus << "8"
                                               << "80"
                                               << "80" << 0;
    QTest::newRow("an id holding a quote") << kBus << "a'b"
                                           << "9"
                                           << "9" << 0;
}

void TestTemplateOperations::changeAddress() {
    QFETCH(CProjectDevice::Role, role);
    QFETCH(QString, id);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(int, messages);

    CDocFixture fixture;
    openProject(fixture, R"(<UBRIX IP="0.0.0.1"/><UBRIX IP="10.0.0.2"/>)"
                         R"(<DEVICE UID="5"><TYPE>KADEL_A</TYPE></DEVICE><DEVICE UID="6"/>)"
                         R"(<DEVICE UID="8"><NAME>no type</NAME></DEVICE><DEVICE UID="a'b"/>)");
    const bool changes = stored != id;
    const auto renamed = fixture.doc().changeTemplateAddress({role, id.toStdString()}, typed);
    QCOMPARE(renamed.has_value(), changes);
    const pugi::xml_document& project = *fixture.doc().templateDocument();
    QVERIFY(CProjectLookup::find(project, {role, stored.toStdString()}));
    QCOMPARE(bool(CProjectLookup::find(project, {role, id.toStdString()})), !changes);
    QCOMPARE(fixture.notifier().messages().size(), messages);
}

namespace {

const char* const kSettings =
    R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME><VERSION_HW>2</VERSION_HW>)"
    R"(<PORT P="A"><SERIAL><TYPE>KVBUS</TYPE></SERIAL></PORT>)"
    R"(<PORT P="C"><SERIAL><TYPE>NONE</TYPE></SERIAL></PORT></UBRIX>)"
    R"(<DEVICE UID="4"><TYPE>LUMET_AC</TYPE><PORT P="A"><LED><PRESET A="1">255.0.0</PRESET>)"
    R"(<PRESET A="2">0.255.0</PRESET></LED></PORT></DEVICE>)"
    R"(<DEVICE UID="5"><NAME>no type</NAME></DEVICE>)";

CProjectPlace placeOf(Role role, const char* id, std::initializer_list<CProjectStep> steps) {
    return {{role, id}, steps};
}

const CProjectStep kPortA{"PORT", "P", "A"};
const CProjectStep kPortC{"PORT", "P", "C"};
const CProjectStep kSerial{"SERIAL", "", ""};
const CProjectStep kLed{"LED", "", ""};

}  // namespace

Q_DECLARE_METATYPE(CProjectPlace)
Q_DECLARE_METATYPE(std::optional<QString>)

void TestTemplateOperations::setValue_data() {
    QTest::addColumn<CProjectPlace>("place");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("index");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("stored");  // the setting's text afterwards
    QTest::addColumn<QString>("message");    // what the user is told; empty: nothing

    const auto gateway = [](std::initializer_list<CProjectStep> steps) {
        return placeOf(kGateway, "0.0.0.1", steps);
    };
    const std::optional<QString> none;
    QTest::newRow("free text") << gateway({}) << "NAME" << none << "Lobby" << QByteArray("Lobby")
                               << "";
    QTest::newRow("port C offers its own serial types")
        << gateway({kPortC, kSerial}) << "TYPE" << none << "RS485" << QByteArray("RS485") << "";
    QTest::newRow("port A does not")
        << gateway({kPortA, kSerial}) << "TYPE" << none << "RS485" << QByteArray("KVBUS")
        << "TYPE may only be one of: KVBUS, NONE.";
    QTest::newRow("an indexed setting")
        << placeOf(kBus, "4", {kPortA, kLed}) << "PRESET" << std::optional<QString>("2") << "1.2.3"
        << QByteArray("1.2.3") << "";
    QTest::newRow("a semicolon would end the command")
        << gateway({}) << "NAME" << none << "a;b" << QByteArray("Hall")
        << "The value may not contain \";\": it ends a command.";
    QTest::newRow("a line break") << gateway({}) << "NAME" << none << "a\nb" << QByteArray("Hall")
                                  << "The value may not contain a line break, a tab or another "
                                     "control character.";
    QTest::newRow("a quote is a character")
        << gateway({}) << "NAME" << none << "Bob's" << QByteArray("Bob's") << "";
    QTest::newRow("read-only") << gateway({}) << "VERSION_HW" << none << "3" << QByteArray("2")
                               << "VERSION_HW cannot be changed: the schema names no value for "
                                  "it here.";
    QTest::newRow("a device without TYPE")
        << placeOf(kBus, "5", {}) << "NAME" << none << "x" << QByteArray("no type")
        << "NAME cannot be changed: the schema names no value for it here.";
    QTest::newRow("the same value again")
        << gateway({}) << "NAME" << none << "Hall" << QByteArray("Hall") << "";
}

void TestTemplateOperations::setValue() {
    QFETCH(CProjectPlace, place);
    QFETCH(QString, key);
    QFETCH(std::optional<QString>, index);
    QFETCH(QString, value);
    QFETCH(QByteArray, stored);
    QFETCH(QString, message);

    CDocFixture fixture;
    openProject(fixture, kSettings);
    const QByteArray before = projectText(fixture);
    QSignalSpy changed(&fixture.doc(), &CUbrixVorelDoc::templateChanged);
    fixture.takeHints();
    const bool written = fixture.doc().setTemplateValue(place, key, index, value);
    QCOMPARE(written, message.isEmpty());
    QCOMPARE(fixture.notifier().messages(),
             message.isEmpty() ? QStringList() : QStringList{message});
    const pugi::xml_node section =
        CProjectLookup::section(*fixture.doc().templateDocument(), place);
    const pugi::xml_node setting = CProjectLookup::setting(
        section, key.toStdString(),
        index ? std::optional<std::string>(index->toStdString()) : std::nullopt);
    QCOMPARE(QByteArray(setting.text().get()), stored);
    // Only that text changed, undoably, and no tree is rebuilt for it.
    const bool changes = projectText(fixture) != before;
    QCOMPARE(changed.size(), changes ? 1 : 0);
    QCOMPARE(fixture.takeHints(), QList<quint32>{});
    if (changes) {
        QVERIFY(fixture.doc().undoTemplateEdit());
        QCOMPARE(projectText(fixture), before);
    }
}

void TestTemplateOperations::deleteTakesTheDeviceByItsRole() {
    CDocFixture fixture;
    // A bus device without TYPE is still a bus device; a gateway of the same number text
    // is another device.
    openProject(fixture,
                R"(<UBRIX IP="3"/><DEVICE UID="3"><PORT P="A"/></DEVICE><DEVICE UID="4"/>)");
    QVERIFY(fixture.doc().deleteTemplateDevice({kBus, "3"}));
    QCOMPARE(projectText(fixture),
             QByteArray(R"(<Device_Configuration><UBRIX IP="3"/><DEVICE UID="4"/>)"
                        R"(</Device_Configuration>)"));
}

void TestTemplateOperations::aDeviceNotInTheProjectIsAnXmlError() {
    CDocFixture fixture;
    QVERIFY_THROWS_EXCEPTION(CXmlError, fixture.doc().deleteTemplateDevice({kBus, "1"}));
    openProject(fixture, R"(<DEVICE UID="1"/>)");
    QVERIFY_THROWS_EXCEPTION(CXmlError, fixture.doc().copyTemplateDevice({kBus, "2"}));
    QVERIFY_THROWS_EXCEPTION(CXmlError, fixture.doc().deleteTemplateDevice({kGateway, "1"}));
    QVERIFY_THROWS_EXCEPTION(CXmlError,
                             fixture.doc().changeTemplateAddress({kBus, "2"}, QStringLiteral("3")));
}

// Every kind of edit, undone one by one back to the opened project and done again to the
// end, passes through exactly the states it went through.
void TestTemplateOperations::everyEditUndoesAndRedoes() {
    CDocFixture fixture;
    openProject(fixture, R"(<UBRIX IP="0.0.0.1"><NAME>A</NAME></UBRIX>)"
                         R"(<DEVICE UID="1"><TYPE>LUMET_AC</TYPE><PORT P="A"><LED>)"
                         R"(<DISSOLVE>10</DISSOLVE></LED></PORT></DEVICE>)");
    QList<QByteArray> states{projectText(fixture)};
    QVERIFY(fixture.doc().copyTemplateDevice({kBus, "1"}));
    states << projectText(fixture);
    QVERIFY(fixture.doc().changeTemplateAddress({kGateway, "0.0.0.1"}, QStringLiteral("10.0.0.9")));
    states << projectText(fixture);
    QVERIFY(fixture.doc().addTemplateModel(0, QStringLiteral(VOREL_RUNTIME_DIR)));
    states << projectText(fixture);
    QVERIFY(fixture.doc().setTemplateValue(placeOf(kBus, "1", {kPortA, kLed}),
                                           QStringLiteral("DISSOLVE"), std::nullopt,
                                           QStringLiteral("20")));
    states << projectText(fixture);
    QVERIFY(fixture.doc().deleteTemplateDevice({kBus, "1"}));
    states << projectText(fixture);
    QCOMPARE(QSet<QByteArray>(states.cbegin(), states.cend()).size(), states.size());
    // Edit > Undo and Redo name the edit they take.
    const QStringList names{"",      "Copy", "Change Address", "Add Gateway", "Change DISSOLVE",
                            "Delete"};
    QCOMPARE(fixture.doc().templateRedoName(), QString());

    QSignalSpy changed(&fixture.doc(), &CUbrixVorelDoc::templateChanged);
    for (qsizetype at = states.size() - 1; at > 0; --at) {
        QCOMPARE(fixture.doc().templateUndoName(), names[at]);
        QVERIFY(fixture.doc().undoTemplateEdit());
        QCOMPARE(fixture.doc().templateRedoName(), names[at]);
        QCOMPARE(projectText(fixture), states[at - 1]);
    }
    QVERIFY(!fixture.doc().undoTemplateEdit());
    QVERIFY(!fixture.doc().isTemplateModified());
    for (qsizetype at = 1; at < states.size(); ++at) {
        QVERIFY(fixture.doc().redoTemplateEdit());
        QCOMPARE(projectText(fixture), states[at]);
    }
    QVERIFY(!fixture.doc().redoTemplateEdit());
    QCOMPARE(changed.size(), 2 * (states.size() - 1));
}

void TestTemplateOperations::savedStateIsTheUnsavedMarksReference() {
    CDocFixture fixture;
    openProject(fixture, R"(<DEVICE UID="1"/>)");
    QVERIFY(!fixture.doc().isTemplateModified());
    QVERIFY(fixture.doc().copyTemplateDevice({kBus, "1"}));
    QVERIFY(fixture.doc().isTemplateModified());
    QVERIFY(fixture.doc().saveProject(fixture.path(QStringLiteral("saved.xml"))));
    QVERIFY(!fixture.doc().isTemplateModified());
    QVERIFY(fixture.doc().undoTemplateEdit());
    QVERIFY(fixture.doc().isTemplateModified());
    QVERIFY(fixture.doc().redoTemplateEdit());
    QVERIFY(!fixture.doc().isTemplateModified());
    // Undone past the save and changed otherwise, the saved state cannot come back.
    QVERIFY(fixture.doc().undoTemplateEdit());
    QVERIFY(fixture.doc().copyTemplateDevice({kBus, "1"}));
    QVERIFY(fixture.doc().isTemplateModified());
    QVERIFY(fixture.doc().undoTemplateEdit());
    QVERIFY(fixture.doc().isTemplateModified());
    // Opening a project begins its history afresh.
    QVERIFY(fixture.doc().openProject(fixture.path(QStringLiteral("saved.xml"))));
    QVERIFY(!fixture.doc().isTemplateModified());
    QVERIFY(!fixture.doc().canUndoTemplateEdit());
}

QTEST_GUILESS_MAIN(TestTemplateOperations)
#include "TestTemplateOperations.moc"
