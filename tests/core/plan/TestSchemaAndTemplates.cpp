// The shipped product data checked against itself and against what the program's readers
// expect of it: the validation schema (built in as a resource) and the ten model templates
// (shipped beside the programs).

#include "core/common/CXmlFile.h"
#include "core/common/CXmlText.h"
#include "core/plan/CSecretRule.h"
#include "core/plan/CValidationSchema.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <set>
#include <utility>

// The schema lives in the core library as a resource; a static library keeps it only for
// a program that asks for it.
static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace {

struct Keyword {
    const char* word;
    int kind;
};

// The device map view's keyword table: first keyword in table order that the text contains.
constexpr Keyword kMapKeywords[] = {
    {"VEXRS", 3},  {"MOTRA", 4},    {"TAVO", 5}, {"LUMET", 6},   {"NEBIL", 6},    {"DMX", 6},
    {"FENLO", 8},  {"PORT", 12},    {"IR", 9},   {"LED", 10},    {"MOTOR", 13},   {"LV", 14},
    {"BUS", 15},   {"PHOTO", 11},   {"KEY", 16}, {"TORMA", 7},   {"VOLTAGE", 18}, {"PROXIMITY", 19},
    {"RELAY", 20}, {"NETWORK", 21}, {"UDP", 22}, {"TELNET", 24}, {"SERIAL", 26},  {"LUTRON", 25}};

// The bus network view's type keyword table (PORT as for a device of kind 0).
constexpr Keyword kTypeKeywords[] = {
    {"VEXRS", 3},       {"MOTRA", 4},  {"TAVO", 5},     {"LUMET", 6},      {"SORIN", 6},
    {"DMX", 6},         {"KADEL", 4},  {"FENLO", 8},    {"PORT", 12},      {"IR", 9},
    {"LED", 10},        {"MOTOR", 13}, {"LV", 14},      {"BUS", 15},       {"PHOTO", 11},
    {"KEY", 16},        {"TORMA", 7},  {"VOLTAGE", 18}, {"PROXIMITY", 19}, {"RELAY", 20},
    {"NETWORK", 21},    {"UDP", 22},   {"TELNET", 24},  {"SERIAL", 26},    {"LUTRON", 25},
    {"TEMPERATURE", 27}};

// The gateway view's section keyword table.
constexpr Keyword kSectionKeywords[] = {{"NETWORK", 21}, {"UDP", 22},    {"TELNET", 24},
                                        {"SERIAL", 26},  {"LUTRON", 25}, {"PORT", 12},
                                        {"DAYTIME", 23}, {"WIFI", 30}};

// Section kinds whose click lists settings: in the gateway view, in the bus view, and the
// bus view's kinds whose commit keeps the port of a section under a PORT item.
const std::set<int> kGatewaySectionKinds = {21, 22, 23, 24, 25, 26, 30};
const std::set<int> kBusSectionKinds = {9, 10, 11, 13, 14, 15, 16, 18, 19, 20, 27};
const std::set<int> kBusKindsKeepingPort = {10, 11, 13, 14, 15, 18, 19, 20};

// A bus device family: the word its type names start with, the kind each view's table
// gives it (0: that table does not know the family, so the name must hold no keyword at
// all), and the group every member has.
struct Family {
    const char* word;
    int typeKind;
    int mapKind;
    const char* group;
};

constexpr Family kFamilies[] = {{"LUMET", 6, 6, "LED"},   {"SORIN", 6, 0, "LED"},
                                {"NEBIL", 0, 6, "LED"},   {"MOTRA", 4, 4, "MOTOR"},
                                {"KADEL", 4, 0, "MOTOR"}, {"TAVO", 5, 5, "KEY"},
                                {"VEXRS", 3, 3, "BUS"},   {"DMX", 6, 6, "BUS"},
                                {"FENLO", 8, 8, "BUS"},   {"TORMA", 7, 7, "IR"}};

// The "Add" dialog's models, in its order.
struct Model {
    const char* file;
    bool gateway;
    const char* type;
};

constexpr Model kModels[] = {
    {"template_ubrixa.xml", true, "UBRIX_A"},    {"template_ubrixb.xml", true, "UBRIX_B"},
    {"template_ubrixc.xml", true, "UBRIX_C"},    {"template_lumetaC.xml", false, "LUMET_AC"},
    {"template_lumetaM.xml", false, "LUMET_AM"}, {"template_lumetbC.xml", false, "LUMET_BC"},
    {"template_lumetbM.xml", false, "LUMET_BM"}, {"template_motraaC.xml", false, "MOTRA_AC"},
    {"template_tavoa.xml", false, "TAVO_A"},     {"template_tavob.xml", false, "TAVO_B"}};

const QString kSchemaPath = QStringLiteral(VOREL_SOURCE_DIR "/resources/schema/validate.xml");
const QString kTemplateDir = QStringLiteral(VOREL_SOURCE_DIR "/resources/templates");

template <size_t N>
const Keyword* firstKeyword(const Keyword (&table)[N], const QString& text) {
    for (const Keyword& keyword : table) {
        if (text.contains(QLatin1String(keyword.word))) {
            return &keyword;
        }
    }
    return nullptr;
}

template <size_t N>
int kindOf(const Keyword (&table)[N], const QString& text) {
    const Keyword* keyword = firstKeyword(table, text);
    return keyword ? keyword->kind : 0;
}

const Family* familyOf(const QString& type) {
    const QString word = type.section(u'_', 0, 0);
    for (const Family& family : kFamilies) {
        if (word == QLatin1String(family.word)) {
            return &family;
        }
    }
    return nullptr;
}

QString text(const char* value) {
    return QString::fromUtf8(value);
}

QString typeOf(const pugi::xml_node& device) {
    return text(device.attribute("TYPE").value());
}

bool isGatewayType(const QString& type) {
    return !firstKeyword(kMapKeywords, type) && !firstKeyword(kTypeKeywords, type);
}

// Group and setting names: upper-case words as the command grammar has them. One character
// would be read as a port by the reply parser.
bool isSettingName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Z][A-Z0-9_]+$"));
    return pattern.match(name).hasMatch();
}

// A value that survives a command and its reply: printable 8-bit ASCII, no ";" (replies
// lose it), no "?" (a reply holding one is taken as a query echo), no outer blanks.
bool isSendableValue(const QString& value) {
    if (value.isEmpty() || value.trimmed() != value) {
        return false;
    }
    return std::all_of(value.cbegin(), value.cend(), [](QChar ch) {
        return ch.unicode() >= 0x20 && ch.unicode() < 0x7F && ch != u';' && ch != u'?';
    });
}

// An option as a device reports it and the bus view sends it: the bus view upper-cases
// whatever it sends, so an option with lower case could never be chosen there.
bool isOptionText(const QString& option) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Z0-9_.,:+-]+$"));
    return pattern.match(option).hasMatch();
}

QStringList optionsOf(const pugi::xml_node& setting) {
    QStringList texts;
    for (const std::string& option : CValidationSchema::options(setting)) {
        texts << QString::fromStdString(option);
    }
    return texts;
}

bool hasElementChild(const pugi::xml_node& node) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) {
            return true;
        }
    }
    return false;
}

int attributeCount(const pugi::xml_node& node) {
    int count = 0;
    for (auto it = node.attributes_begin(); it != node.attributes_end(); ++it) {
        ++count;
    }
    return count;
}

// ---- schema rules ----------------------------------------------------------------------

void checkOptions(const pugi::xml_node& setting, const QString& where, QStringList& problems) {
    if (!setting.first_child()) {
        problems << where + QStringLiteral(": COMBO without options");
    }
    QSet<QString> seen;
    for (const pugi::xml_node& option : setting.children()) {
        if (option.type() != pugi::node_element || text(option.name()) != u"OPTION") {
            problems << where + QStringLiteral(": a COMBO child that is not an OPTION element");
            continue;
        }
        const pugi::xml_node value = option.first_child();
        if (option.first_attribute() || !value || value.type() != pugi::node_pcdata ||
            value.next_sibling()) {
            problems << where + QStringLiteral(": an OPTION that is not plain text");
            continue;
        }
        const QString optionText = text(value.value());
        if (!isOptionText(optionText)) {
            problems << where +
                            QStringLiteral(": option \"%1\" is not a device word").arg(optionText);
        }
        if (seen.contains(optionText)) {
            problems << where + QStringLiteral(": option %1 twice").arg(optionText);
        }
        seen.insert(optionText);
    }
}

void checkSetting(const pugi::xml_node& setting, const QString& where, QStringList& problems) {
    static const QRegularExpression word(QStringLiteral("^[A-Z]+$"));
    static const QRegularExpression port(QStringLiteral("^[A-Z]$"));
    const pugi::xml_attribute control = setting.first_attribute();
    if (text(control.name()) != u"c" || !word.match(text(control.value())).hasMatch()) {
        problems << where + QStringLiteral(": the first attribute is not a control word c");
        return;
    }
    const bool edit = text(control.value()) == u"EDIT";
    pugi::xml_attribute next = control.next_attribute();
    if (next && text(next.name()) == u"secret") {
        if (text(next.value()) != u"YES") {
            problems << where + QStringLiteral(": secret is not YES");
        }
        next = next.next_attribute();
    }
    if (next && text(next.name()) == u"reading") {
        if (text(next.value()) != u"YES" || text(control.value()) != u"READ") {
            problems << where + QStringLiteral(": reading is not YES on a READ setting");
        }
        next = next.next_attribute();
    }
    // An EDIT setting names its value type after c (and secret); every other setting may be
    // bound to a port instead.
    if (edit) {
        if (!next || text(next.name()) != u"t" ||
            !CValidationSchema::valueType(setting).isKnown()) {
            problems << where + QStringLiteral(": an EDIT setting without a known type t");
        }
        for (pugi::xml_attribute more = next ? next.next_attribute() : next; more;
             more = more.next_attribute()) {
            static const QStringList parameters{"min", "max", "decimals", "chars"};
            if (!parameters.contains(text(more.name()))) {
                problems << where + QStringLiteral(": %1 is no parameter of a value type")
                                        .arg(text(more.name()));
            }
        }
    } else if (next && (text(next.name()) != u"p" || !port.match(text(next.value())).hasMatch())) {
        problems << where + QStringLiteral(": after c (and secret) comes no port letter p");
    }
    if (!edit && next && next.next_attribute()) {
        problems << where + QStringLiteral(": more than c, secret and p");
    }
    if (text(control.value()) == u"COMBO") {
        checkOptions(setting, where, problems);
    } else if (setting.first_child()) {
        problems << where + QStringLiteral(": only COMBO settings have children");
    }
}

// Children of a DEVICE or a group: settings (with their c), comments between them, and, in
// a DEVICE only, groups. Names are unique per port; a key is either bound to ports or not.
void checkContainer(const pugi::xml_node& container, const QString& where, bool groupsAllowed,
                    QStringList& problems) {
    std::set<std::pair<QString, QString>> places;
    std::set<QString> bound;
    std::set<QString> unbound;
    std::set<QString> groups;
    int settings = 0;
    for (const pugi::xml_node& child : container.children()) {
        if (child.type() == pugi::node_comment) {
            continue;
        }
        if (child.type() != pugi::node_element) {
            problems << where + QStringLiteral(": text or other node between settings");
            continue;
        }
        const QString name = text(child.name());
        const QString place = where + u'/' + name;
        if (!isSettingName(name)) {
            problems << place + QStringLiteral(": not a setting or group name");
        }
        if (!child.first_attribute()) {
            if (!groupsAllowed) {
                problems << place +
                                QStringLiteral(": a group inside a group, or a setting without c");
            } else if (!groups.insert(name).second) {
                problems << place + QStringLiteral(": group twice");
            } else {
                checkContainer(child, place, false, problems);
            }
            continue;
        }
        ++settings;
        checkSetting(child, place, problems);
        const QString port = text(child.attribute("p").value());
        if (!places.insert({name, port}).second) {
            problems << place + QStringLiteral(": listed twice for port \"%1\"").arg(port);
        }
        (port.isEmpty() ? unbound : bound).insert(name);
    }
    for (const QString& name : bound) {
        if (unbound.count(name) != 0) {
            problems << where + u'/' + name + QStringLiteral(": both bound to ports and not");
        }
    }
    if (!groupsAllowed && settings == 0) {
        problems << where + QStringLiteral(": empty group");
    }
}

// ---- model template rules ------------------------------------------------------------------

struct TemplateCheck {
    const CValidationSchema& schema;
    std::string type;
    bool gateway;
    QStringList problems;

    void leaf(const pugi::xml_node& node, const QString& port, const QString& group);
    void group(const pugi::xml_node& node, const QString& port);
    void port(const pugi::xml_node& node);
    void device(const pugi::xml_node& node);
    void checkSchemaEntry(const pugi::xml_node& node, const QString& port, const QString& group,
                          const QString& place);
};

QString placeOf(const QString& port, const QString& group, const pugi::xml_node& leaf) {
    QString place = text(leaf.name());
    if (!group.isEmpty()) {
        place.prepend(group + u'.');
    }
    if (!port.isEmpty()) {
        place.prepend(port + u'.');
    }
    const pugi::xml_attribute index = leaf.attribute("A");
    if (index) {
        place += u'.' + text(index.value());
    }
    return place;
}

void TemplateCheck::leaf(const pugi::xml_node& node, const QString& port, const QString& group) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const QString place = placeOf(port, group, node);
    if (!isSettingName(text(node.name()))) {
        problems << place + QStringLiteral(": not a setting name");
    }
    const pugi::xml_attribute index = node.first_attribute();
    if (index) {
        // The uploads drop the qualifier of a setting directly under the device.
        if (group.isEmpty() || text(index.name()) != u"A" || index.next_attribute() ||
            !digits.match(text(index.value())).hasMatch()) {
            problems << place + QStringLiteral(
                                    ": only an index A inside a group may qualify a setting");
        }
    }
    const pugi::xml_node value = node.first_child();
    if (!value || value.type() != pugi::node_pcdata || value.next_sibling()) {
        problems << place + QStringLiteral(": a setting holds exactly one text");
        return;
    }
    if (!isSendableValue(text(value.value()))) {
        problems << place +
                        QStringLiteral(": value \"%1\" cannot be sent").arg(text(value.value()));
    }
    checkSchemaEntry(node, port, group, place);
}

void TemplateCheck::checkSchemaEntry(const pugi::xml_node& node, const QString& port,
                                     const QString& group, const QString& place) {
    const std::string key = node.name();
    const std::string value = node.child_value();
    const pugi::xml_node entry = schema.setting(type, port.toStdString(), group.toStdString(), key);
    if (!entry) {
        problems << place + QStringLiteral(": the schema has no such setting for this type");
        return;
    }
    if (group.isEmpty() && key == "TYPE") {
        return;  // reported, never set; the uploads find it equal and send nothing
    }
    if (!CValidationSchema::allows(entry, value)) {
        problems << place + QStringLiteral(": the schema does not allow \"%1\"")
                                .arg(QString::fromStdString(value));
    }
    if (const QString problem =
            CValidationSchema::valueType(entry).problem(QString::fromStdString(value));
        !problem.isEmpty()) {
        problems << place +
                        QStringLiteral(": \"%1\" %2").arg(QString::fromStdString(value), problem);
    }
    // The uploads and the map view look the setting up without its port.
    const pugi::xml_node upload = schema.firstSetting(type, group.toStdString(), key);
    if (CValidationSchema::control(upload) == CValidationSchema::Control::Combo &&
        CValidationSchema::lastOptionIndex(upload, value) < 0) {
        problems << place + QStringLiteral(": the upload's look-up does not offer \"%1\"")
                                .arg(QString::fromStdString(value));
    }
}

void TemplateCheck::group(const pugi::xml_node& node, const QString& port) {
    const QString name = text(node.name());
    if (node.first_attribute()) {
        problems << name + QStringLiteral(": a group has no attributes");
    }
    if (!isSettingName(name)) {
        problems << name + QStringLiteral(": not a group name");
    }
    const int mapKind = kindOf(kMapKeywords, name);
    if (mapKind <= 8 || mapKind == 12) {
        problems << name + QStringLiteral(": the device map view cannot list this group");
    }
    if (!gateway && !port.isEmpty() &&
        kBusKindsKeepingPort.count(kindOf(kTypeKeywords, name)) == 0) {
        problems << name + QStringLiteral(": the bus view would drop the port of this group");
    }
    std::set<std::pair<QString, QString>> seen;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element || hasElementChild(child)) {
            problems << name + QStringLiteral(": a group holds settings only");
            continue;
        }
        if (!seen.insert({text(child.name()), text(child.attribute("A").value())}).second) {
            problems << placeOf(port, name, child) + QStringLiteral(": twice");
        }
        leaf(child, port, name);
    }
    if (seen.empty()) {
        problems << name + QStringLiteral(": empty group");
    }
}

void TemplateCheck::port(const pugi::xml_node& node) {
    static const QRegularExpression letter(QStringLiteral("^[A-Z]$"));
    const pugi::xml_attribute name = node.first_attribute();
    const QString letterText = text(name.value());
    if (text(name.name()) != u"P" || name.next_attribute() ||
        !letter.match(letterText).hasMatch()) {
        problems << QStringLiteral("PORT: exactly one attribute P, one capital letter");
        return;
    }
    std::set<QString> groups;
    for (const pugi::xml_node& child : node.children()) {
        // The uploads walk every child of a port as a group.
        if (child.type() != pugi::node_element || !hasElementChild(child)) {
            problems << QStringLiteral("PORT %1: holds groups only").arg(letterText);
            continue;
        }
        if (!groups.insert(text(child.name())).second) {
            problems
                << QStringLiteral("PORT %1: group %2 twice").arg(letterText, text(child.name()));
        }
        group(child, letterText);
    }
}

void TemplateCheck::device(const pugi::xml_node& node) {
    std::set<QString> leaves;
    std::set<QString> groups;
    std::set<QString> ports;
    for (const pugi::xml_node& child : node.children()) {
        const QString name = text(child.name());
        if (child.type() != pugi::node_element) {
            problems << QStringLiteral("a node other than an element under the device");
        } else if (name == u"PORT" && child.first_attribute()) {
            if (!ports.insert(text(child.first_attribute().value())).second) {
                problems << QStringLiteral("a port twice");
            }
            port(child);
        } else if (hasElementChild(child)) {
            if (!groups.insert(name).second) {
                problems << name + QStringLiteral(": group twice");
            }
            group(child, {});
        } else {
            if (!leaves.insert(name).second) {
                problems << name + QStringLiteral(": twice");
            }
            leaf(child, {}, {});
        }
    }
}

// ---- rows -------------------------------------------------------------------------------------

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestSchemaAndTemplates : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void schemaTextIsUtf8WithDeclarationAndCrLf();
    void schemaParsesWithoutItsLastByte();
    void builtInSchemaIsTheShippedFile();
    void schemaHoldsFortyUniqueTypes();
    void deviceEntryLayout_data() { addDeviceRows(); }
    void deviceEntryLayout();
    void deviceTypeNameKeywords_data() { addDeviceRows(); }
    void deviceTypeNameKeywords();
    void gatewayEntry_data() { addDeviceRows(Kind::Gateway); }
    void gatewayEntry();
    void oneGatewayTypeHasBusPriority();
    void busDeviceEntry_data() { addDeviceRows(Kind::Bus); }
    void busDeviceEntry();
    void everyFamilyIsPresent();
    void credentialsAreSecret();
    void secretPlaces_data();
    void secretPlaces();
    void commandsAsShown_data();
    void commandsAsShown();
    void liveReadingsAreMarked();
    void noTypeTakesWhatTheProtocolCannotCarryBack();

    void templateFolderHoldsExactlyTheModels();
    void modelTemplateLayout_data() { addTemplateRows(); }
    void modelTemplateLayout();
    void modelTemplateSettings_data() { addTemplateRows(); }
    void modelTemplateSettings();
    void runtimeCopyIsTheSourceFile_data();
    void runtimeCopyIsTheSourceFile();

private:
    enum class Kind { Any, Gateway, Bus };
    void addDeviceRows(Kind kind = Kind::Any);
    void addTemplateRows();
    pugi::xml_node deviceOfRow() const;

    QByteArray m_schemaText;
    pugi::xml_document m_schema;
};

void TestSchemaAndTemplates::initTestCase() {
    m_schemaText = readFile(kSchemaPath);
    QVERIFY2(!m_schemaText.isEmpty(), qPrintable(kSchemaPath));
    QString reason;
    QVERIFY2(CXmlFile::parse(m_schemaText, m_schema, reason), qPrintable(reason));
}

void TestSchemaAndTemplates::addDeviceRows(Kind kind) {
    QTest::addColumn<QString>("type");
    for (const pugi::xml_node& device : m_schema.document_element().children("DEVICE")) {
        const QString type = typeOf(device);
        const bool gateway = isGatewayType(type);
        if (kind == Kind::Any || gateway == (kind == Kind::Gateway)) {
            QTest::newRow(qPrintable(type)) << type;
        }
    }
}

pugi::xml_node TestSchemaAndTemplates::deviceOfRow() const {
    QFETCH(QString, type);
    return CValidationSchema(m_schema).device(type.toStdString());
}

void TestSchemaAndTemplates::schemaTextIsUtf8WithDeclarationAndCrLf() {
    QVERIFY(m_schemaText.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY2(m_schemaText.endsWith("\r\n"), "the schema must end with CR LF");
    const qsizetype lineFeeds = m_schemaText.count('\n');
    QCOMPARE(m_schemaText.count("\r\n"), lineFeeds);
    QVERIFY(CXmlText::isCleanText(
        std::string_view(m_schemaText.constData(), static_cast<size_t>(m_schemaText.size()))));
}

void TestSchemaAndTemplates::schemaParsesWithoutItsLastByte() {
    // The program parses the resource without its last byte.
    pugi::xml_document document;
    QString reason;
    QVERIFY2(CXmlFile::parse(m_schemaText.chopped(1), document, reason), qPrintable(reason));
    QCOMPARE(CXmlFile::serialize(document), CXmlFile::serialize(m_schema));
}

void TestSchemaAndTemplates::builtInSchemaIsTheShippedFile() {
    initSchemaResource();
    const QByteArray builtIn = readFile(QStringLiteral(":/schema/validate.xml"));
    QVERIFY2(!builtIn.isEmpty(), "no schema resource in the core library");
    QCOMPARE(builtIn, m_schemaText);
}

void TestSchemaAndTemplates::schemaHoldsFortyUniqueTypes() {
    const pugi::xml_node root = m_schema.document_element();
    QCOMPARE(text(root.name()), QStringLiteral("Validate"));
    QVERIFY(!root.first_attribute());
    static const QRegularExpression typeName(QStringLiteral("^[A-Z][A-Z0-9_]*$"));
    QSet<QString> types;
    int devices = 0;
    for (const pugi::xml_node& child : root.children()) {
        if (child.type() == pugi::node_comment) {
            continue;
        }
        QCOMPARE(text(child.name()), QStringLiteral("DEVICE"));
        QCOMPARE(attributeCount(child), 1);
        QCOMPARE(text(child.first_attribute().name()), QStringLiteral("TYPE"));
        const QString type = typeOf(child);
        QVERIFY2(typeName.match(type).hasMatch(), qPrintable(type));
        QVERIFY2(!types.contains(type), qPrintable(type + QStringLiteral(" twice")));
        types.insert(type);
        ++devices;
    }
    QCOMPARE(devices, 40);
}

void TestSchemaAndTemplates::deviceEntryLayout() {
    const pugi::xml_node device = deviceOfRow();
    QVERIFY(device);
    QStringList problems;
    checkContainer(device, typeOf(device), true, problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    // Every device reports its type; nobody sets it.
    const pugi::xml_node type =
        CValidationSchema(m_schema).setting(device.attribute("TYPE").value(), "", "", "TYPE");
    QVERIFY(type);
    QCOMPARE(CValidationSchema::control(type), CValidationSchema::Control::ReadOnly);
}

void TestSchemaAndTemplates::deviceTypeNameKeywords() {
    QFETCH(QString, type);
    if (isGatewayType(type)) {
        QCOMPARE(kindOf(kSectionKeywords, type), 0);
        QVERIFY2(type.startsWith(QStringLiteral("UBRIX_")), qPrintable(type));
        return;
    }
    const Family* family = familyOf(type);
    QVERIFY2(family, qPrintable(type + QStringLiteral(": not named after a bus family")));
    const Keyword* byType = firstKeyword(kTypeKeywords, type);
    const Keyword* byMap = firstKeyword(kMapKeywords, type);
    QCOMPARE(byType ? text(byType->word) : QString(),
             family->typeKind != 0 ? text(family->word) : QString());
    QCOMPARE(byMap ? text(byMap->word) : QString(),
             family->mapKind != 0 ? text(family->word) : QString());
    QCOMPARE(kindOf(kTypeKeywords, type), family->typeKind);
    QCOMPARE(kindOf(kMapKeywords, type), family->mapKind);
}

void TestSchemaAndTemplates::gatewayEntry() {
    const pugi::xml_node device = deviceOfRow();
    const CValidationSchema schema(m_schema);
    const std::string type = device.attribute("TYPE").value();
    const auto control = [&](const char* port, const char* group, const char* key) {
        return CValidationSchema::control(schema.setting(type, port, group, key));
    };
    const auto options = [&](const char* port, const char* group, const char* key) {
        return optionsOf(schema.setting(type, port, group, key));
    };
    const QStringList offOn = {QStringLiteral("DISABLE"), QStringLiteral("ENABLE")};
    const QStringList busPort = {QStringLiteral("KVBUS"), QStringLiteral("NONE")};
    const CValidationSchema::Control edit = CValidationSchema::Control::Edit;

    QCOMPARE(control("", "", "NAME"), edit);
    QCOMPARE(options("", "NETWORK", "DHCP"), offOn);
    QCOMPARE(control("", "NETWORK", "STATIC_IP"), edit);
    QCOMPARE(control("", "NETWORK", "NETMASK"), edit);
    QCOMPARE(control("", "NETWORK", "GATEWAY_ADD"), edit);
    QCOMPARE(control("", "UDP", "LISTEN_PORT"), edit);
    QCOMPARE(control("", "UDP", "SEND_PORT"), edit);
    QCOMPARE(control("", "UDP", "REMOTE_IP"), edit);
    QCOMPARE(options("A", "SERIAL", "TYPE"), busPort);
    QCOMPARE(options("B", "SERIAL", "TYPE"), busPort);
    const QStringList serial = options("C", "SERIAL", "TYPE");
    QVERIFY(serial.contains(QStringLiteral("NONE")));
    QVERIFY(!serial.contains(QStringLiteral("KVBUS")));
    QVERIFY(serial.size() >= 2);
    QCOMPARE(options("A", "SERIAL", "POWER"), offOn);
    QVERIFY(!schema.setting(type, "B", "SERIAL", "POWER"));
    QVERIFY(!schema.setting(type, "C", "SERIAL", "POWER"));

    // The gateway view finds a SERIAL setting only through its port, and lists only the
    // sections its keyword table knows.
    for (const pugi::xml_node& child : device.children()) {
        if (child.type() != pugi::node_element || child.first_attribute()) {
            continue;
        }
        const QString group = text(child.name());
        QVERIFY2(kGatewaySectionKinds.count(kindOf(kSectionKeywords, group)) == 1,
                 qPrintable(group));
        if (group == u"SERIAL") {
            for (const pugi::xml_node& setting : child.children()) {
                QVERIFY2(setting.type() != pugi::node_element || setting.attribute("p"),
                         setting.name());
            }
        }
    }
}

// Outputs show a credential only as "(set)", the journal never: every password and
// passphrase of every type is marked, and nothing else is.
void TestSchemaAndTemplates::credentialsAreSecret() {
    QStringList secret;
    for (const pugi::xpath_node& hit : m_schema.select_nodes("//*[@secret]")) {
        const pugi::xml_node setting = hit.node();
        secret << QString::fromUtf8(setting.parent().name()) + QLatin1Char('.') +
                      QString::fromUtf8(setting.name());
        QCOMPARE(QByteArray(setting.first_attribute().name()), QByteArray("c"));
    }
    secret.removeDuplicates();
    QCOMPARE(secret, (QStringList{"TELNET.PASSWORD", "WIFI.PASSPHRASE", "LUTRON.PASSWORD"}));
}

// The one rule: a place is secret by its address, in any letter case, on every type.
void TestSchemaAndTemplates::secretPlaces_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("secret");
    QTest::newRow("telnet password") << QByteArray("TELNET.PASSWORD") << true;
    QTest::newRow("typed in lower case") << QByteArray("telnet.password") << true;
    QTest::newRow("mixed case") << QByteArray("Wifi.PassPhrase") << true;
    QTest::newRow("lutron password") << QByteArray("LUTRON.PASSWORD") << true;
    QTest::newRow("on a port, indexed") << QByteArray("A.TELNET.PASSWORD.2") << true;
    QTest::newRow("the login beside it") << QByteArray("TELNET.LOGIN") << false;
    QTest::newRow("the login name") << QByteArray("LUTRON.LOGIN_NAME") << false;
    QTest::newRow("a key of that name alone") << QByteArray("PASSWORD") << false;
    QTest::newRow("the name") << QByteArray("NAME") << false;
}

void TestSchemaAndTemplates::secretPlaces() {
    QFETCH(QByteArray, path);
    QFETCH(bool, secret);
    const CSettingAddress address = *CSettingAddress::parse(path);
    QCOMPARE(CValidationSchema(m_schema).holdsSecret(address), secret);
    const CSecretRule hidden(m_schema);
    const CSecretRule shown(m_schema, true);
    QCOMPARE(hidden.shown(address, QByteArray("hunter2")),
             secret ? QByteArray("(set)") : QByteArray("hunter2"));
    QCOMPARE(hidden.shown(address, QByteArray()), secret ? QByteArray("(empty)") : QByteArray());
    QCOMPARE(shown.shown(address, QByteArray("hunter2")), QByteArray("hunter2"));
}

void TestSchemaAndTemplates::commandsAsShown_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("a password set")
        << QByteArray("&TELNET.PASSWORD=hunter2;") << QByteArray("&TELNET.PASSWORD=(set);");
    QTest::newRow("in lower case")
        << QByteArray("&telnet.password=hunter2;") << QByteArray("&telnet.password=(set);");
    QTest::newRow("a password cleared")
        << QByteArray("&TELNET.PASSWORD=;") << QByteArray("&TELNET.PASSWORD=(empty);");
    QTest::newRow("an upload's command, to a bus device")
        << QByteArray("#UID12.WIFI.PASSPHRASE=abcdefgh")
        << QByteArray("#UID12.WIFI.PASSPHRASE=(set)");
    QTest::newRow("on a port, indexed, ended by a line end")
        << QByteArray("&A.TELNET.PASSWORD.2=x\r\n") << QByteArray("&A.TELNET.PASSWORD.2=(set)\r\n");
    QTest::newRow("a query carries no value")
        << QByteArray("&TELNET.PASSWORD=?;") << QByteArray("&TELNET.PASSWORD=?;");
    QTest::newRow("another setting")
        << QByteArray("&TELNET.LOGIN=ENABLE;") << QByteArray("&TELNET.LOGIN=ENABLE;");
    QTest::newRow("an address") << QByteArray("#SN812.UID=7;") << QByteArray("#SN812.UID=7;");
    QTest::newRow("a keypad command")
        << QByteArray("#1.2.3.LED=FADE_UP\r") << QByteArray("#1.2.3.LED=FADE_UP\r");
    QTest::newRow("a full query") << QByteArray("&=?;") << QByteArray("&=?;");
}

void TestSchemaAndTemplates::commandsAsShown() {
    QFETCH(QByteArray, command);
    QTEST(CSecretRule(m_schema).shownCommand(command), "shown");
    QCOMPARE(CSecretRule(m_schema, true).shownCommand(command), command);
}

// Live readings differ at every visit: marked, so that a comparison of two snapshots can
// leave them out, and read-only.
void TestSchemaAndTemplates::liveReadingsAreMarked() {
    QStringList readings;
    for (const pugi::xpath_node& hit : m_schema.select_nodes("//*[@reading]")) {
        const pugi::xml_node setting = hit.node();
        readings << QString::fromUtf8(setting.parent().name()) + QLatin1Char('.') +
                        QString::fromUtf8(setting.name());
        QCOMPARE(CValidationSchema::control(setting), CValidationSchema::Control::ReadOnly);
    }
    readings.removeDuplicates();
    readings.sort();
    QCOMPARE(readings, (QStringList{"LED.LEVEL", "MOTOR.POSITION", "PHOTO.LEVEL",
                                    "TEMPERATURE.VALUE", "VOLTAGE.SUPPLY", "WIFI.SIGNAL"}));
    const CValidationSchema schema(m_schema);
    QVERIFY(schema.holdsReading(*CSettingAddress::parse("A.LED.LEVEL")));
    QVERIFY(!schema.holdsReading(*CSettingAddress::parse("A.LED.LEVEL_MAX")));
    QVERIFY(!schema.holdsReading(*CSettingAddress::parse("VERSION_SW")));
}

// A reply holding "?" is a query's echo and never entered: no character set lets it in,
// and a time zone has its form.
void TestSchemaAndTemplates::noTypeTakesWhatTheProtocolCannotCarryBack() {
    int sets = 0;
    for (const pugi::xpath_node& hit : m_schema.select_nodes("//*[@chars]")) {
        // As long as the setting's shortest value: only the character can be wrong.
        const QString questionMarks(std::max(1, hit.node().attribute("min").as_int()), u'?');
        QVERIFY2(!CValidationSchema::valueType(hit.node()).problem(questionMarks).isEmpty(),
                 hit.node().attribute("chars").value());
        ++sets;
    }
    QVERIFY(sets > 0);
    int zones = 0;
    for (const pugi::xpath_node& hit : m_schema.select_nodes("//TIME_ZONE")) {
        const CValueType type = CValidationSchema::valueType(hit.node());
        QCOMPARE(type.problem(QStringLiteral("+01:00")), QString());
        QVERIFY(!type.problem(QStringLiteral("::::::")).isEmpty());
        ++zones;
    }
    QCOMPARE(zones, 2);
}

void TestSchemaAndTemplates::oneGatewayTypeHasBusPriority() {
    int gateways = 0;
    QStringList withPriority;
    const CValidationSchema schema(m_schema);
    for (const pugi::xml_node& device : m_schema.document_element().children("DEVICE")) {
        if (!isGatewayType(typeOf(device))) {
            continue;
        }
        ++gateways;
        const pugi::xml_node priority =
            schema.firstSetting(device.attribute("TYPE").value(), "SERIAL", "PRIORITY");
        if (priority) {
            withPriority << typeOf(device);
            QCOMPARE(optionsOf(priority), QStringList({"8", "7", "6", "5"}));
        }
    }
    QVERIFY2(gateways == 3 || gateways == 4, qPrintable(QString::number(gateways)));
    QCOMPARE(withPriority.size(), 1);
}

void TestSchemaAndTemplates::busDeviceEntry() {
    const pugi::xml_node device = deviceOfRow();
    const QString type = typeOf(device);
    const Family* family = familyOf(type);
    QVERIFY(family);
    const CValidationSchema schema(m_schema);
    QCOMPARE(CValidationSchema::control(schema.setting(type.toStdString(), "", "", "ALIAS")),
             CValidationSchema::Control::Edit);
    QVERIFY2(device.child(family->group),
             qPrintable(type + QStringLiteral(" lacks its family's group ") + family->group));
    if (text(family->group) == u"LED") {
        QCOMPARE(
            CValidationSchema::control(schema.setting(type.toStdString(), "", "LED", "PRESET")),
            CValidationSchema::Control::Edit);
    }
    // The bus view lists a section only when its keyword gives it a section kind.
    for (const pugi::xml_node& child : device.children()) {
        if (child.type() == pugi::node_element && !child.first_attribute()) {
            QVERIFY2(kBusSectionKinds.count(kindOf(kTypeKeywords, text(child.name()))) == 1,
                     child.name());
        }
    }
}

void TestSchemaAndTemplates::everyFamilyIsPresent() {
    QSet<QString> present;
    for (const pugi::xml_node& device : m_schema.document_element().children("DEVICE")) {
        if (const Family* family = familyOf(typeOf(device))) {
            present.insert(text(family->word));
        }
    }
    for (const Family& family : kFamilies) {
        QVERIFY2(present.contains(text(family.word)), family.word);
    }
}

void TestSchemaAndTemplates::templateFolderHoldsExactlyTheModels() {
    QStringList shipped = QDir(kTemplateDir).entryList(QDir::Files | QDir::Hidden);
    std::sort(shipped.begin(), shipped.end());
    QStringList expected;
    for (const Model& model : kModels) {
        expected << text(model.file);
    }
    std::sort(expected.begin(), expected.end());
    QCOMPARE(shipped, expected);
}

void TestSchemaAndTemplates::addTemplateRows() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<QString>("type");
    for (const Model& model : kModels) {
        QTest::addRow("%s", model.file)
            << kTemplateDir + u'/' + text(model.file) << model.gateway << text(model.type);
        QTest::addRow("%s beside the programs", model.file)
            << testsupport::runtimePath(text(model.file)) << model.gateway << text(model.type);
    }
}

void TestSchemaAndTemplates::modelTemplateLayout() {
    QFETCH(QString, path);
    QFETCH(bool, gateway);
    QFETCH(QString, type);
    pugi::xml_document document;
    QString reason;
    QVERIFY2(CXmlFile::load(path, document, reason), qPrintable(path + u' ' + reason));

    const pugi::xml_node declaration = document.first_child();
    QCOMPARE(declaration.type(), pugi::node_declaration);
    const pugi::xml_node plan = declaration.next_sibling();
    QCOMPARE(text(plan.name()), QStringLiteral("Plan"));
    QVERIFY(!plan.next_sibling());
    QVERIFY(!plan.first_attribute());

    const pugi::xml_node devices = plan.first_child();
    QCOMPARE(text(devices.name()), QStringLiteral("Device_Configuration"));
    const pugi::xml_node network = devices.next_sibling();
    QCOMPARE(text(network.name()), QStringLiteral("Network_Configuration"));
    QVERIFY(!network.next_sibling());
    QVERIFY(!network.first_child());
    QVERIFY(!devices.first_attribute() && !network.first_attribute());

    const pugi::xml_node device = devices.first_child();
    QVERIFY(!device.next_sibling());
    QCOMPARE(text(device.name()), gateway ? QStringLiteral("UBRIX") : QStringLiteral("DEVICE"));
    QCOMPARE(attributeCount(device), 1);
    QCOMPARE(text(device.first_attribute().name()),
             gateway ? QStringLiteral("IP") : QStringLiteral("UID"));
    QCOMPARE(text(device.first_attribute().value()),
             gateway ? QStringLiteral("0.0.0.1") : QStringLiteral("1"));

    const pugi::xml_node typeLeaf = device.child("TYPE");
    QCOMPARE(text(typeLeaf.child_value()), type);
    QCOMPARE(isGatewayType(type), gateway);
    QVERIFY2(CValidationSchema(m_schema).device(type.toStdString()), qPrintable(type));
    if (!gateway) {
        // The map view lets a device be readdressed only when its type gives a device kind.
        const int kind = kindOf(kMapKeywords, type);
        QVERIFY2(kind >= 3 && kind <= 8, qPrintable(type));
    }
}

void TestSchemaAndTemplates::modelTemplateSettings() {
    QFETCH(QString, path);
    QFETCH(bool, gateway);
    QFETCH(QString, type);
    pugi::xml_document document;
    QString reason;
    QVERIFY2(CXmlFile::load(path, document, reason), qPrintable(path + u' ' + reason));
    const pugi::xml_node device = document.document_element().first_child().first_child();
    QVERIFY(device);

    const CValidationSchema schema(m_schema);
    TemplateCheck check{schema, type.toStdString(), gateway, {}};
    check.device(device);
    QVERIFY2(check.problems.isEmpty(), qPrintable(check.problems.join(u'\n')));
}

void TestSchemaAndTemplates::runtimeCopyIsTheSourceFile_data() {
    QTest::addColumn<QString>("file");
    for (const Model& model : kModels) {
        QTest::newRow(model.file) << text(model.file);
    }
}

void TestSchemaAndTemplates::runtimeCopyIsTheSourceFile() {
    QFETCH(QString, file);
    const QByteArray source = readFile(kTemplateDir + u'/' + file);
    QVERIFY(!source.isEmpty());
    QCOMPARE(readFile(testsupport::runtimePath(file)), source);
}

QTEST_APPLESS_MAIN(TestSchemaAndTemplates)
#include "TestSchemaAndTemplates.moc"
