#include "core/bus/CAnswerCheck.h"
#include "core/bus/CIndexSpans.h"
#include "core/common/CXmlFile.h"
#include "core/plan/CValidationSchema.h"

#include <QTest>

namespace {

// Two types: a gateway with port-bound entries, and a device whose group stands under its
// ports, with an indexed key.
const QByteArray kSchema =
    "<Validate>"
    "<DEVICE TYPE='GATE'><NAME c='EDIT'/><TYPE c='READ'/>"
    "<SERIAL><TYPE c='COMBO' p='A'><OPTION>KVBUS</OPTION></TYPE>"
    "<TYPE c='COMBO' p='C'><OPTION>RS232</OPTION></TYPE></SERIAL></DEVICE>"
    "<DEVICE TYPE='LAMP'><TYPE c='READ'/><ALIAS c='EDIT'/>"
    "<LED><MODE c='COMBO'><OPTION>RGB</OPTION></MODE><PRESET c='EDIT'/></LED></DEVICE>"
    "<DEVICE TYPE='PAD'><TYPE c='READ'/><KEY><!-- Indexed: ACTION and TARGET with A = key -->"
    "<ACTION c='EDIT'/><TARGET c='EDIT'/><HOLD c='EDIT'/></KEY></DEVICE>"
    "</Validate>";

CAnswerCheck::Addresses addresses(const QStringList& texts) {
    CAnswerCheck::Addresses set;
    for (const QString& text : texts) {
        set.insert(*CSettingAddress::parse(text.toLatin1()));
    }
    return set;
}

QStringList texts(const std::vector<CSettingAddress>& missing) {
    QStringList list;
    for (const CSettingAddress& address : missing) {
        list << QString::fromLatin1(address.text());
    }
    return list;
}

}  // namespace

// Whether a report is complete: the type's schema entry (ports it reports, groups where
// they stand, indices up to the highest), and what the device reported before.
class TestAnswerCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void missing_data();
    void missing();
    void worthAskingAgain_data();
    void worthAskingAgain();

private:
    pugi::xml_document m_schema;
};

void TestAnswerCheck::initTestCase() {
    QString reason;
    QVERIFY2(CXmlFile::parse(kSchema, m_schema, reason), qPrintable(reason));
}

void TestAnswerCheck::missing_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("received");
    QTest::addColumn<QStringList>("earlier");
    QTest::addColumn<QStringList>("missing");

    const QStringList lamp{"TYPE",           "ALIAS",      "A.LED.MODE",     "A.LED.PRESET.1",
                           "A.LED.PRESET.2", "B.LED.MODE", "B.LED.PRESET.1", "B.LED.PRESET.2"};
    QTest::newRow("complete") << "LAMP" << lamp << QStringList() << QStringList();
    QTest::newRow("nothing came") << "LAMP" << QStringList() << QStringList()
                                  << QStringList{"ALIAS", "TYPE", "LED.MODE", "LED.PRESET"};
    QTest::newRow("a member lost on one port")
        << "LAMP"
        << QStringList(lamp).replaceInStrings(QStringLiteral("B.LED.MODE"), QStringLiteral("ALIAS"))
        << QStringList() << QStringList{"B.LED.MODE"};
    QTest::newRow("an index below the highest lost")
        << "LAMP"
        << QStringList(lamp).replaceInStrings(QStringLiteral("A.LED.PRESET.1"),
                                              QStringLiteral("TYPE"))
        << QStringList() << QStringList{"A.LED.PRESET.1"};
    QTest::newRow("the highest index seen on another port")
        << "LAMP"
        << QStringList(lamp).replaceInStrings(QStringLiteral("B.LED.PRESET.2"),
                                              QStringLiteral("TYPE"))
        << QStringList() << QStringList{"B.LED.PRESET.2"};
    QTest::newRow("a member of the device's own beside its ports is no home for the others")
        << "LAMP" << QStringList(lamp) + QStringList{"LED.PRESET.1"} << QStringList()
        << QStringList();
    QTest::newRow("the type lost: the plan's type tells")
        << "LAMP" << QStringList(lamp).mid(1) << QStringList{"TYPE"} << QStringList{"TYPE"};
    QTest::newRow("reported before and not now")
        << "LAMP" << lamp << QStringList{"A.ALIAS", "ALIAS"} << QStringList{"A.ALIAS"};
    QTest::newRow("an unknown type: its type and what came before")
        << "" << QStringList{"NAME"} << QStringList{"X.Y"} << QStringList{"TYPE", "X.Y"};
    QTest::newRow("the highest index lost, seen on a key indexed alike")
        << "PAD" << QStringList{"TYPE", "KEY.ACTION.1", "KEY.ACTION.2", "KEY.TARGET.1", "KEY.HOLD"}
        << QStringList() << QStringList{"KEY.TARGET.2"};
    QTest::newRow("a port-bound entry of a port it does not report")
        << "GATE" << QStringList{"TYPE", "NAME", "A.SERIAL.TYPE"} << QStringList() << QStringList();
    QTest::newRow("a port-bound entry of a port it reports")
        << "GATE" << QStringList{"TYPE", "NAME", "A.SERIAL.TYPE", "C.ALIAS"} << QStringList()
        << QStringList{"C.SERIAL.TYPE"};
}

void TestAnswerCheck::missing() {
    QFETCH(QString, type);
    QFETCH(QStringList, received);
    QFETCH(QStringList, earlier);

    const std::vector<CSettingAddress> missing = CAnswerCheck::missing(
        CValidationSchema(m_schema), type.toStdString(), addresses(received), addresses(earlier));
    QTEST(texts(missing), "missing");
}

void TestAnswerCheck::worthAskingAgain_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("received");
    QTest::addColumn<QStringList>("earlier");
    QTest::addColumn<bool>("askAgain");

    QTest::newRow("every port shown")
        << "GATE" << QStringList{"TYPE", "A.SERIAL.TYPE", "C.ALIAS"} << QStringList() << false;
    QTest::newRow("a port whose only reply was lost")
        << "GATE" << QStringList{"TYPE", "NAME", "A.SERIAL.TYPE"} << QStringList() << true;
    QTest::newRow("a port shown before")
        << "GATE" << QStringList{"TYPE", "C.ALIAS"} << QStringList{"A.SERIAL.TYPE"} << false;
    QTest::newRow("presets as far as the other lamp's")
        << "LAMP" << QStringList{"A.LED.PRESET.3"} << QStringList{"B.LED.PRESET.4"} << false;
    QTest::newRow("the last preset lost on both ports")
        << "LAMP" << QStringList{"A.LED.PRESET.3", "B.LED.PRESET.3"} << QStringList() << true;
    QTest::newRow("a key it does not report at all")
        << "LAMP" << QStringList{"TYPE", "A.LED.MODE"} << QStringList() << false;
}

// A port the type has but the report does not show, or a key that stops below the index
// another report of its type reached (here one lamp's presets up to 4), is no hole (the
// unit may lack it) yet worth asking again for: it shows only beside the schema and the
// other reports.
void TestAnswerCheck::worthAskingAgain() {
    QFETCH(QString, type);
    QFETCH(QStringList, received);
    QFETCH(QStringList, earlier);

    CIndexSpans spans;
    spans.learn("LAMP", addresses({"TYPE", "A.LED.PRESET.1", "A.LED.PRESET.4", "B.LED.PRESET.4"}));
    const std::string typeName = type.toStdString();
    const bool askAgain = !CAnswerCheck::portsNotShown(CValidationSchema(m_schema), typeName,
                                                       addresses(received), addresses(earlier))
                               .empty() ||
                          spans.fallsShort(typeName, addresses(received), addresses(earlier));
    QTEST(askAgain, "askAgain");
}

QTEST_GUILESS_MAIN(TestAnswerCheck)
#include "TestAnswerCheck.moc"
