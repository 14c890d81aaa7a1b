#include "support/CDocFixture.h"
#include "support/CNaiveReplyWriter.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// A device number as devices and hand-edited maps write them: mostly plain, sometimes
// with leading zeros, blanks, a sign, trailing text, too many digits or none at all, so
// that one number appears in several texts.
QByteArray randomUid(QRandomGenerator& random) {
    static const QList<QByteArray> odd{"07", "007", "7 ",         " 7",         "+7",        "7x",
                                       "",   "-1",  "4294967295", "4444444444", "8888888888"};
    if (random.bounded(2) == 0) {
        return odd[random.bounded(odd.size())];
    }
    return QByteArray::number(random.bounded(1, 40));
}

// Replies drawn from a small vocabulary, so that the same gateways, devices, ports,
// groups and indexed settings come back again and again in every order.
QByteArray randomLine(QRandomGenerator& random) {
    static const QList<QByteArray> senders{"10.0.0.1", "10.0.0.2", "10.0.0.13"};
    static const QList<QByteArray> paths{
        "NAME",        "TYPE",         "NETWORK.DHCP",  "A.SERIAL.TYPE", "B.ALIAS",
        "A.ALIAS",     "LED.PRESET.3", "LED.PRESET.12", "LED.VALUE",     "C.MOTOR.SPEED.2",
        "MOTOR.SPEED", "A.TYPE",       "LED",           "MOTOR",         "NAME.SUB"};
    const QByteArray& sender = senders[random.bounded(senders.size())];
    const QByteArray prefix = "[12:00:00] (" + sender + ") ";
    const QByteArray value = QByteArray::number(random.bounded(1000));
    switch (random.bounded(6)) {
        case 0:
            return prefix + "+UID" + randomUid(random) + ";";
        case 1:
            return prefix + "+SN" + QByteArray::number(random.bounded(100, 140)) + ";";
        case 2:
            return prefix + "!" + paths[random.bounded(paths.size())] + "=" + value + ";";
        default:
            return prefix + "!UID" + randomUid(random) + "." + paths[random.bounded(paths.size())] +
                   "=" + value + ";";
    }
}

}  // namespace

// The document finds devices and settings through its index; the XPath expressions of
// the reply parser say which nodes are meant. Both must build the same plan.
class TestIndexedParserMatchesXPath : public QObject {
    Q_OBJECT

private slots:
    void randomStreams_data();
    void randomStreams();
    void loadedPlanWithDuplicates();
    void oneNumberInTwoTexts();
};

void TestIndexedParserMatchesXPath::randomStreams_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
}

void TestIndexedParserMatchesXPath::randomStreams() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    CDocFixture fixture;
    pugi::xml_document reference;
    reference.append_child("Plan").append_child("Device_Configuration");
    reference.child("Plan").append_child("Network_Configuration");
    CNaiveReplyWriter naive(reference);

    for (int i = 0; i < 400; ++i) {
        const QByteArray text = randomLine(random);
        naive.handle(text);
        fixture.receive({text});
    }
    QCOMPARE(fixture.planText(), CDocFixture::compact(reference.document_element()));
    QVERIFY(fixture.errorLogText().isEmpty());
}

void TestIndexedParserMatchesXPath::loadedPlanWithDuplicates() {
    // A map file edited by hand may hold a device twice; the first one in document order
    // is the one meant, and settings found under the second stay where they are.
    const QByteArray map =
        "<Plan><Device_Configuration><DEVICE UID=\"5\"><NAME>first</NAME></DEVICE>"
        "<DEVICE UID=\"5\"><LED><VALUE>1</VALUE></LED><PORT "
        "P=\"A\"><ALIAS>x</ALIAS></PORT></DEVICE>"
        "</Device_Configuration><Network_Configuration/></Plan>";
    const QList<QByteArray> lines{
        "[1] (10.0.0.1) !UID5.NAME=one;", "[1] (10.0.0.1) !UID5.LED.VALUE=2;",
        "[1] (10.0.0.1) !UID5.A.ALIAS=y;", "[1] (10.0.0.1) !UID5.TYPE=T;", "[1] (10.0.0.1) +UID5;"};
    CDocFixture fixture;
    const QString path = fixture.path(QStringLiteral("dup.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(map);
    file.close();
    fixture.doc().loadMapFile(path);

    pugi::xml_document reference;
    QVERIFY(reference.load_buffer(map.constData(), static_cast<size_t>(map.size())));
    CNaiveReplyWriter naive(reference);
    for (const QByteArray& text : lines) {
        naive.handle(text);
    }
    fixture.receive(lines);
    QCOMPARE(fixture.planText(), CDocFixture::compact(reference.document_element()));
}

void TestIndexedParserMatchesXPath::oneNumberInTwoTexts() {
    // "07" first made by a setting (at the end), then announced as number 7, which finds
    // no "7" and inserts a second "07" before device 9: from then on XPath means that one.
    const QList<QByteArray> lines{"[1] (10.0.0.1) +UID9;", "[1] (10.0.0.1) !UID07.NAME=a;",
                                  "[1] (10.0.0.1) +UID07;", "[1] (10.0.0.1) !UID07.TYPE=X;"};
    CDocFixture fixture;
    fixture.receive(lines);
    QCOMPARE(fixture.planText().left(fixture.planText().indexOf("</Device_Configuration>")),
             QByteArray("<Plan><Device_Configuration><DEVICE UID=\"07\"><TYPE>X</TYPE></DEVICE>"
                        "<DEVICE UID=\"9\"/><DEVICE UID=\"07\"><NAME>a</NAME></DEVICE>"));
}

QTEST_GUILESS_MAIN(TestIndexedParserMatchesXPath)
#include "TestIndexedParserMatchesXPath.moc"
