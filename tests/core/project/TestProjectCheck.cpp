#include "support/CDocFixture.h"

#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectCheck.h"

#include <QTest>

// What an upload of a project would not bring to its devices, against the shipped schema.
class TestProjectCheck : public QObject {
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
};

void TestProjectCheck::findings_data() {
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<QStringList>("expected");  // "device path=value: problem"

    QTest::newRow("a clean model")
        << QByteArray(R"(<DEVICE UID="1"><TYPE>LUMET_AC</TYPE><PORT P="A">)"
                      R"(<LED><MODE>RGB</MODE><PRESET A="1">1.2.3</PRESET>)"
                      R"(</LED></PORT></DEVICE>)")
        << QStringList{};
    QTest::newRow("port C's serial type, looked up with its port")
        << QByteArray(R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><PORT P="C"><SERIAL>)"
                      R"(<TYPE>RS485</TYPE></SERIAL></PORT><PORT P="A"><SERIAL><TYPE>RS485</TYPE>)"
                      R"(</SERIAL></PORT></UBRIX>)")
        << QStringList{"0.0.0.1 A.SERIAL.TYPE=RS485: not one of KVBUS NONE: not uploaded"};
    QTest::newRow("unknown settings, unsendable values, empty ones skipped")
        << QByteArray(R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><COLOUR>red</COLOUR>)"
                      R"(<NAME>a;b</NAME><NETWORK><DHCP/></NETWORK></UBRIX>)")
        << QStringList{"0.0.0.1 COLOUR=red: not in the schema: not uploaded",
                       "0.0.0.1 NAME=a;b: The value may not contain \";\": it ends a command."};
    QTest::newRow("values of the wrong type, as a device reported them")
        << QByteArray(R"(<UBRIX IP="10.0.0.7"><TYPE>UBRIX_B</TYPE><UDP>)"
                      R"(<LISTEN_PORT>99999</LISTEN_PORT><SEND_PORT>4000</SEND_PORT></UDP>)"
                      R"(<DAYTIME><LATITUDE>200</LATITUDE></DAYTIME></UBRIX>)"
                      R"(<DEVICE UID="4"><TYPE>LUMET_AC</TYPE><LED><LEVEL_MAX>999</LEVEL_MAX>)"
                      R"(</LED></DEVICE>)")
        << QStringList{
               "10.0.0.7 UDP.LISTEN_PORT=99999: is above 65535 (a port 1-65535): not uploaded",
               "10.0.0.7 DAYTIME.LATITUDE=200: is above 90 (a latitude -90 to 90, at most 6 "
               "decimals): not uploaded",
               "4 LED.LEVEL_MAX=999: is above 255 (a whole number 0-255): not uploaded"};
    QTest::newRow("devices without a known type")
        << QByteArray(R"(<DEVICE UID="2"><NAME>x</NAME></DEVICE>)"
                      R"(<DEVICE UID="3"><TYPE>NOVA'X</TYPE></DEVICE>)")
        << QStringList{"2 =: no TYPE: nothing of it is uploaded",
                       "3 =NOVA'X: a type the schema does not know: nothing of it is uploaded"};
}

void TestProjectCheck::findings() {
    QFETCH(QByteArray, devices);
    QFETCH(QStringList, expected);

    CDocFixture fixture;
    pugi::xml_document project;
    QVERIFY(project.load_string(
        ("<Plan><Device_Configuration>" + devices + "</Device_Configuration></Plan>").constData()));
    QStringList found;
    for (const CProjectFinding& finding :
         CProjectCheck::run(project, CValidationSchema(fixture.doc().schema()))) {
        found << QStringLiteral("%1 %2=%3: %4")
                     .arg(QString::fromStdString(finding.device.id), finding.path, finding.value,
                          finding.problem);
    }
    QCOMPARE(found, expected);
}

QTEST_GUILESS_MAIN(TestProjectCheck)
#include "TestProjectCheck.moc"
