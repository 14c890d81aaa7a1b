#include "support/CProgramRun.h"
#include "support/TestSupport.h"

#include "core/common/CXmlFile.h"
#include "core/project/CProjectLookup.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));

CProgramRun runCli(const QStringList& arguments) {
    return CProgramRun::of(kCli, arguments);
}

}  // namespace

// vorel-cli project: a project assembled, changed and checked from a script, step by step
// on one file, through the same operations as the device map view.
class TestCliProject : public QObject {
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void theFileHoldsWhatTheStepsMade();

private:
    QTemporaryDir m_dir;
};

void TestCliProject::steps_data() {
    QTest::addColumn<QStringList>("arguments");  // after "project"; FILE stands for the file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("the first model begins the file")
        << QStringList{"add", "FILE", "Ubrix A"} << 0 << QByteArray("0.0.0.1\n") << QByteArray();
    QTest::newRow("a bus model by its file name")
        << QStringList{"add", "FILE", "template_lumetaC.xml"} << 0 << QByteArray("1\n")
        << QByteArray();
    QTest::newRow("a model by its number")
        << QStringList{"add", "FILE", "7"} << 0 << QByteArray("2\n") << QByteArray();
    QTest::newRow("no such model") << QStringList{"add", "FILE", "Ubrix Z"} << 2 << QByteArray()
                                   << QByteArray("vorel-cli: no model 'Ubrix Z'");
    QTest::newRow("show") << QStringList{"show", "FILE"} << 0
                          << QByteArray(
                                 "gateway\t0.0.0.1\tUBRIX_A\ndevice\t1\tLUMET_AC\n"
                                 "device\t2\tMOTRA_AC\n")
                          << QByteArray();
    QTest::newRow("show --json")
        << QStringList{"show", "FILE", "--json"} << 0
        << QByteArray(
               "{\"devices\":[{\"type\":\"LUMET_AC\",\"uid\":\"1\"},{\"type\":\"MOTRA_AC\",\"uid\":"
               "\"2\"}],"
               "\"gateways\":[{\"address\":\"0.0.0.1\",\"type\":\"UBRIX_A\"}]}"
               "\n")
        << QByteArray();
    QTest::newRow("port C's own serial type")
        << QStringList{"set", "FILE", "0.0.0.1", "C.SERIAL.TYPE=RS485"} << 0 << QByteArray()
        << QByteArray();
    QTest::newRow("not one of port A's")
        << QStringList{"set", "FILE", "0.0.0.1", "A.SERIAL.TYPE=RS485"} << 8 << QByteArray()
        << QByteArray("vorel-cli: TYPE may only be one of: KVBUS, NONE.\n");
    QTest::newRow("an indexed setting") << QStringList{"set", "FILE", "1", "A.LED.PRESET.2=1.2.3"}
                                        << 0 << QByteArray() << QByteArray();
    QTest::newRow("a value no command could carry")
        << QStringList{"set", "FILE", "1", "A.LED.PRESET.2=1;2"} << 8 << QByteArray()
        << QByteArray("vorel-cli: The value may not contain \";\": it ends a command.\n");
    QTest::newRow("a value of the wrong type")
        << QStringList{"set", "FILE", "0.0.0.1", "UDP.LISTEN_PORT=99999"} << 8 << QByteArray()
        << QByteArray("vorel-cli: UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)");
    QTest::newRow("no such device")
        << QStringList{"set", "FILE", "9", "NAME=x"} << 8 << QByteArray()
        << QByteArray(
               "vorel-cli: The project has no bus device "
               "with UID 9.\n");
    QTest::newRow("no such setting")
        << QStringList{"set", "FILE", "0.0.0.1", "B.SERIAL.BAUD=1"} << 8 << QByteArray()
        << QByteArray(
               "vorel-cli: The project has no setting BAUD "
               "there.\n");
    QTest::newRow("a clean check")
        << QStringList{"check", "FILE"} << 0 << QByteArray() << QByteArray();
    QTest::newRow("no such file") << QStringList{"show", "NOFILE"} << 8 << QByteArray()
                                  << QByteArray("vorel-cli: Failed to open Template\n");
}

void TestCliProject::steps() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    arguments.replaceInStrings(QStringLiteral("NOFILE"), m_dir.filePath(QStringLiteral("none")));
    arguments.replaceInStrings(QStringLiteral("FILE"), m_dir.filePath(QStringLiteral("p.xml")));
    const CProgramRun run = runCli(QStringList{"project"} + arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.startsWith(err), run.err.constData());
}

void TestCliProject::theFileHoldsWhatTheStepsMade() {
    const QString file = m_dir.filePath(QStringLiteral("p.xml"));
    pugi::xml_document project;
    QString reason;
    QVERIFY2(CXmlFile::load(file, project, reason), qPrintable(reason));
    const pugi::xml_node gateway =
        CProjectLookup::find(project, {CProjectDevice::Role::Gateway, "0.0.0.1"});
    QCOMPARE(
        QByteArray(
            gateway.find_child_by_attribute("PORT", "P", "C").child("SERIAL").child_value("TYPE")),
        QByteArray("RS485"));
    QCOMPARE(
        QByteArray(
            gateway.find_child_by_attribute("PORT", "P", "A").child("SERIAL").child_value("TYPE")),
        QByteArray("KVBUS"));

    // A value a project file brought with it is found by the check.
    gateway.child("NAME").text() = "Hall;1";
    QVERIFY(CXmlFile::save(project, file, reason));
    const CProgramRun run = runCli({"project", "check", file, "--json"});
    QCOMPARE(run.exitCode, 9);
    QCOMPARE(run.out, QByteArray("{\"findings\":[{\"device\":\"0.0.0.1\",\"path\":\"NAME\","
                                 "\"problem\":\"The value may not contain \\\";\\\": it ends a "
                                 "command.\",\"value\":\"Hall;1\"}]}"
                                 "\n"));
}

QTEST_GUILESS_MAIN(TestCliProject)
#include "TestCliProject.moc"
