#include "core/common/CXmlFile.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/plan/CValidationSchema.h"
#include "support/TestSupport.h"

#include <QTest>

namespace {

// A row in one comparable line: label|value|colour|editor|options|initial index.
QString describe(const CPropertyRow& row) {
    static const char* const kEditors[] = {"none", "text", "combo"};
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(row.label, row.value, QString::number(row.textRgb, 16),
             QLatin1String(kEditors[static_cast<int>(row.editor)]), row.options.join(u','),
             QString::number(row.initialIndex));
}

QStringList describe(const std::vector<CPropertyRow>& rows) {
    QStringList lines;
    for (const CPropertyRow& row : rows) {
        lines << describe(row);
    }
    return lines;
}

pugi::xml_node parsed(pugi::xml_document& document, const QByteArray& xml) {
    const pugi::xml_parse_result result = document.load_buffer(xml.constData(), size_t(xml.size()));
    return result ? document.document_element() : pugi::xml_node();
}

}  // namespace

// The property rows as a pure function of a plan element and the schema, and the labels
// that carry key and index back into a command.
class TestPropertyRows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rows_data();
    void rows();
    void manyCombosOnOnePage();
    void split_data();
    void split();

private:
    pugi::xml_document m_schemaDocument;
};

void TestPropertyRows::initTestCase() {
    QString reason;
    QVERIFY2(CXmlFile::load(testsupport::dataPath(QStringLiteral("schema/rows.xml")),
                            m_schemaDocument, reason),
             qPrintable(reason));
}

void TestPropertyRows::rows_data() {
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<bool>("firstEntry");
    QTest::addColumn<quint32>("mismatch");
    QTest::addColumn<QStringList>("rows");

    const quint32 grey = CPropertyRow::kGrey;
    QTest::newRow("exact option") << QByteArray("<U><DHCP>ENABLE</DHCP></U>") << QByteArray("T")
                                  << QByteArray() << QByteArray() << false << grey
                                  << QStringList{"DHCP|ENABLE|0|combo|DISABLE,ENABLE|1"};
    QTest::newRow("options match by case")
        << QByteArray("<U><DHCP>enable</DHCP></U>") << QByteArray("T") << QByteArray()
        << QByteArray() << false << grey << QStringList{"DHCP|enable|808080|none||-1"};
    QTest::newRow("later duplicate option is chosen")
        << QByteArray("<U><DUP>A</DUP></U>") << QByteArray("T") << QByteArray() << QByteArray()
        << false << grey << QStringList{"DUP|A|0|combo|A,B,A|2"};
    QTest::newRow("other control word: black, read-only")
        << QByteArray("<U><INFO>1.2</INFO></U>") << QByteArray("T") << QByteArray() << QByteArray()
        << false << grey << QStringList{"INFO|1.2|0|none||-1"};
    QTest::newRow("edit, and an emptied value is a row too")
        << QByteArray("<U><NAME>Hall</NAME><NAME/><OTHER>x</OTHER></U>") << QByteArray("T")
        << QByteArray() << QByteArray() << false << grey
        << QStringList{"NAME|Hall|0|text||-1", "NAME||0|text||-1", "OTHER|x|808080|none||-1"};
    QTest::newRow("type the schema does not know: all grey")
        << QByteArray("<U><NAME>Hall</NAME><DHCP>ENABLE</DHCP></U>") << QByteArray("T'x")
        << QByteArray() << QByteArray() << false << grey
        << QStringList{"NAME|Hall|808080|none||-1", "DHCP|ENABLE|808080|none||-1"};
    QTest::newRow("no type: all grey")
        << QByteArray("<U><NAME>Hall</NAME></U>") << QByteArray() << QByteArray() << QByteArray()
        << false << grey << QStringList{"NAME|Hall|808080|none||-1"};
    QTest::newRow("sections are no rows")
        << QByteArray("<U><TELNET><LOGIN>ENABLE</LOGIN></TELNET><NAME>a</NAME></U>")
        << QByteArray("T") << QByteArray() << QByteArray() << false << grey
        << QStringList{"NAME|a|0|text||-1"};
    QTest::newRow("indexed setting in a group")
        << QByteArray(R"(<TELNET><LOGIN A="2">ENABLE</LOGIN></TELNET>)") << QByteArray("T")
        << QByteArray() << QByteArray("TELNET") << false << grey
        << QStringList{"LOGIN (2)|ENABLE|0|combo|DISABLE,ENABLE|1"};
    QTest::newRow("port C has its own options")
        << QByteArray("<SERIAL><TYPE>RS232</TYPE><PRIORITY>8</PRIORITY></SERIAL>")
        << QByteArray("T") << QByteArray("C") << QByteArray("SERIAL") << false << grey
        << QStringList{"TYPE|RS232|0|combo|RS232,NONE|0", "PRIORITY|8|0|text||-1"};
    QTest::newRow("first entry whatever the port")
        << QByteArray("<SERIAL><TYPE>RS232</TYPE></SERIAL>") << QByteArray("T") << QByteArray("C")
        << QByteArray("SERIAL") << true << grey << QStringList{"TYPE|RS232|808080|none||-1"};
    QTest::newRow("a page's own mismatch colour")
        << QByteArray("<U><DHCP>FAST</DHCP></U>") << QByteArray("T") << QByteArray() << QByteArray()
        << false << CPropertyRow::kDarkRed << QStringList{"DHCP|FAST|800000|none||-1"};
}

void TestPropertyRows::rows() {
    QFETCH(QByteArray, element);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, port);
    QFETCH(QByteArray, group);
    QFETCH(bool, firstEntry);
    QFETCH(quint32, mismatch);
    QFETCH(QStringList, rows);

    pugi::xml_document document;
    const pugi::xml_node node = parsed(document, element);
    QVERIFY(node);
    CSchemaPlace place{
        type.toStdString(), port.toStdString(), group.toStdString(),
        firstEntry ? CSchemaPlace::Lookup::FirstEntry : CSchemaPlace::Lookup::PortAware};
    CPropertyRows::Options options;
    options.notAnOptionRgb = mismatch;
    const CValidationSchema schema(m_schemaDocument);
    QCOMPARE(describe(CPropertyRows::list(node, schema, place, options)), rows);
}

void TestPropertyRows::manyCombosOnOnePage() {
    // More combo rows than any fixed set of option lists held: each gets its own list.
    constexpr int kRows = 30;
    QByteArray schemaText = "<Validate><DEVICE TYPE=\"T\">";
    QByteArray planText = "<U>";
    for (int i = 0; i < kRows; ++i) {
        const QByteArray key = "K" + QByteArray::number(i);
        schemaText +=
            "<" + key + " c=\"COMBO\"><OPTION>x</OPTION><OPTION>" + key + "</OPTION></" + key + ">";
        planText += "<" + key + ">" + key + "</" + key + ">";
    }
    pugi::xml_document schemaDocument;
    pugi::xml_document plan;
    QVERIFY(parsed(schemaDocument, schemaText + "</DEVICE></Validate>"));
    const std::vector<CPropertyRow> rows = CPropertyRows::list(
        parsed(plan, planText + "</U>"), CValidationSchema(schemaDocument), {"T", "", "", {}});
    QCOMPARE(rows.size(), size_t{kRows});
    for (int i = 0; i < kRows; ++i) {
        const CPropertyRow& row = rows[static_cast<size_t>(i)];
        QCOMPARE(row.editor, CPropertyRow::Editor::Combo);
        QCOMPARE(row.options, (QStringList{"x", QStringLiteral("K%1").arg(i)}));
        QCOMPARE(row.initialIndex, 1);
    }
}

void TestPropertyRows::split_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("hasIndex");

    QTest::newRow("port letter") << "TYPE (A)"
                                 << "TYPE"
                                 << "A" << true;
    QTest::newRow("no index") << "NAME"
                              << "NAME"
                              << "" << false;
    QTest::newRow("long index") << "PRESET (12345678)"
                                << "PRESET"
                                << "12345678" << true;
    QTest::newRow("index holding a parenthesis") << "KEY (a)b)"
                                                 << "KEY"
                                                 << "a)b" << true;
    QTest::newRow("empty index") << "KEY ()"
                                 << "KEY"
                                 << "" << true;
    QTest::newRow("text after the index: no such form") << "PORT (A) Kitchen"
                                                        << "PORT (A) Kitchen"
                                                        << "" << false;
    QTest::newRow("no blank before the parenthesis") << "PORT(A)"
                                                     << "PORT(A)"
                                                     << "" << false;
    QTest::newRow("parenthesis first") << " (A)"
                                       << " (A)"
                                       << "" << false;
}

void TestPropertyRows::split() {
    QFETCH(QString, label);
    QFETCH(QString, key);
    QFETCH(QString, index);
    QFETCH(bool, hasIndex);

    const CPropertyLabel::Parts parts = CPropertyLabel::split(label);
    QCOMPARE(parts.key, key);
    QCOMPARE(parts.index, index);
    QCOMPARE(parts.hasIndex, hasIndex);
    if (hasIndex) {
        QCOMPARE(CPropertyLabel::make(key.toStdString(), index.toStdString(), true), label);
    }
}

QTEST_GUILESS_MAIN(TestPropertyRows)
#include "TestPropertyRows.moc"
