#include "core/bus/CBusTarget.h"
#include "core/bus/CBusTreeModel.h"
#include "core/update/CFirmwareUpdater.h"
#include "core/update/CProcessLauncher.h"
#include "support/CDocFixture.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The firmware updater: which device the bus view's selection gives it, and what the tool
// is really started with.
class TestFirmwareUpdater : public QObject {
    Q_OBJECT

private slots:
    void argumentsForItems_data();
    void argumentsForItems();
    void startsTheToolWithTheArgumentsAsGiven();
    void missingOrUnconfiguredTool();
};

void TestFirmwareUpdater::argumentsForItems_data() {
    QTest::addColumn<QStringList>("path");  // of item rows from the root
    QTest::addColumn<QString>("arguments");

    QTest::newRow("root") << QStringList{} << QString();
    QTest::newRow("gateway") << QStringList{"0"} << QString();
    QTest::newRow("device known by its serial number, above 2^31")
        << QStringList{"0", "2"}
        << QStringLiteral("/I 10.0.0.7 /N UBRIX GEN3 /P KLOMB /S 4000000000");
    QTest::newRow("device by its UID")
        << QStringList{"0", "0"} << QStringLiteral("/I 10.0.0.7 /N UBRIX GEN3 /P KLOMB /U 5");
    QTest::newRow("a section of that device")
        << QStringList{"0", "0", "0"} << QStringLiteral("/I 10.0.0.7 /N UBRIX GEN3 /P KLOMB /U 5");
    QTest::newRow("a device of a family no keyword names")
        << QStringList{"0", "1"} << QStringLiteral("/I 10.0.0.7 /N UBRIX GEN3 /P KLOMB /U 9");
}

void TestFirmwareUpdater::argumentsForItems() {
    QFETCH(QStringList, path);
    QFETCH(QString, arguments);

    CDocFixture fixture;
    fixture.receive({"[0:0:0] (10.0.0.7) +SN4000000000;", "[0:0:0] (10.0.0.7) !UID5.LED.MODE=ON;",
                     "[0:0:0] (10.0.0.7) !UID9.TYPE=NEBIL_A;"});
    CBusTreeModel model;
    model.update(fixture.doc().plan());
    const CBusTreeItem* item = model.root();
    for (const QString& row : path) {
        item = item->child(row.toInt());
    }
    const std::optional<QStringList> given = CFirmwareUpdater::argumentsFor(CBusTarget::of(item));
    QCOMPARE(given ? given->join(QLatin1Char(' ')) : QString(), arguments);
}

void TestFirmwareUpdater::startsTheToolWithTheArgumentsAsGiven() {
    QTemporaryDir folder;
    const QString recorded = folder.filePath(QStringLiteral("arguments.txt"));
    qputenv("VOREL_RECORDED_ARGUMENTS", recorded.toLocal8Bit());
    CProcessLauncher launcher;
    // A blank and a quote stay inside their argument: no shell reads them.
    const QStringList arguments = CFirmwareUpdater::arguments("10.0.0.7 ' ; true", "SN", 812);
    QCOMPARE(CFirmwareUpdater::launch(
                 launcher, testsupport::dataPath(QStringLiteral("updater/record-arguments.sh")),
                 arguments),
             CFirmwareUpdater::Launch::Started);
    QTRY_VERIFY(QFile::exists(recorded));
    QFile file(recorded);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll()),
             QStringLiteral("/I\n10.0.0.7 ' ; true\n/N\nUBRIX\nGEN3\n/P\nKLOMB\n/S\n812\n"));
}

void TestFirmwareUpdater::missingOrUnconfiguredTool() {
    CProcessLauncher launcher;
    const QStringList arguments = CFirmwareUpdater::arguments("10.0.0.7", "UID", 5);
    const CFirmwareUpdater::Launch missing =
        CFirmwareUpdater::launch(launcher, QStringLiteral("/nonexistent/KV_Update"), arguments);
    QCOMPARE(missing, CFirmwareUpdater::Launch::Failed);
    QCOMPARE(CFirmwareUpdater::message(missing, QStringLiteral("/nonexistent/KV_Update")),
             QStringLiteral("The firmware updater /nonexistent/KV_Update could not be started"));
    const CFirmwareUpdater::Launch none = CFirmwareUpdater::launch(launcher, QString(), arguments);
    QCOMPARE(none, CFirmwareUpdater::Launch::NotConfigured);
    QCOMPARE(CFirmwareUpdater::message(none, QString()),
             QString::fromLatin1(CFirmwareUpdater::kNotConfigured));
}

QTEST_GUILESS_MAIN(TestFirmwareUpdater)
#include "TestFirmwareUpdater.moc"
