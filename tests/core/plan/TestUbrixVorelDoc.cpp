#include "support/CDocFixture.h"

#include "core/common/CXmlFile.h"
#include "core/keypads/CKeypadAddressBlock.h"

#include <QFile>
#include <QSettings>
#include <QTest>

namespace {
QByteArray line(const QByteArray& text) {
    return "[10:00:00] (192.168.1.20) " + text;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray networkText(CDocFixture& fixture) {
    return CDocFixture::compact(fixture.doc().plan().select_node("//Network_Configuration").node());
}
}  // namespace

// The document's own operations: the new plan, files, the network list, logging.
class TestUbrixVorelDoc : public QObject {
    Q_OBJECT

private slots:
    void newPlanHoldsEmptyLayout();
    void savedPlanHasOneDeclaration();
    void mapFileRoundTrip();
    void failedMapLoadKeepsPlanAndUpdatesViews_data();
    void failedMapLoadKeepsPlanAndUpdatesViews();
    void failedSaveKeepsEarlierFile();
    void projectOpenAndSave();
    void failedProjectOpenKeepsTemplate();
    void netAddDeviceSortsNumerically();
    void netAddDeviceCreatesGatewayOnce();
    void removeBusDevice_data();
    void removeBusDevice();
    void indexFollowsLoadedPlan();
    void networkListIsThePlansOwnChild();
    void keypadBlockDefaults();
    void keypadBlockFromSettings();
    void historyTrimsAndLogs();
    void startAndStopLogEachLineOnce();
    void logFileThatCannotOpenLeavesLoggingOff();
    void closeDrainsQueueUnparsed();
    void schemaIsLoaded();
};

void TestUbrixVorelDoc::newPlanHoldsEmptyLayout() {
    CDocFixture fixture;
    QCOMPARE(fixture.planText(),
             QByteArray("<Plan><Device_Configuration/><Network_Configuration/></Plan>"));
    QCOMPARE(fixture.doc().plan().first_child().type(), pugi::node_declaration);
    QVERIFY(!fixture.doc().hasTemplate());
    QCOMPARE(fixture.doc().templatePath(), QStringLiteral("Template"));
    QVERIFY(fixture.doc().firewallSuspect().load());
}

void TestUbrixVorelDoc::savedPlanHasOneDeclaration() {
    CDocFixture fixture;
    const QString path = fixture.path(QStringLiteral("new.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    const QByteArray text = readFile(path);
    QVERIFY(text.startsWith("<?xml version=\"1.0\"?>"));
    QCOMPARE(text.count("<?xml"), 1);
    pugi::xml_document reloaded;
    QString reason;
    QVERIFY2(CXmlFile::load(path, reloaded, reason), qPrintable(reason));

    // A plan loaded from a file without a declaration gets exactly one when saved.
    writeFile(path, "<Plan><Device_Configuration/><Network_Configuration/></Plan>");
    fixture.doc().loadMapFile(path);
    QVERIFY(fixture.doc().saveMapFile(path));
    QCOMPARE(readFile(path).count("<?xml"), 1);
}

void TestUbrixVorelDoc::mapFileRoundTrip() {
    CDocFixture fixture;
    fixture.receive({line("!NAME=Lobby;"), line("!A.ALIAS=Hall  ;"), line("+UID7;"),
                     line("!UID7.LED.PRESET.3=255.0.0;"), line("!UID7.NAME=  ;"), line("+SN12;"),
                     line("!NOTE=tab\there & <there>;")});
    const QByteArray before = fixture.planText();
    const QString path = fixture.path(QStringLiteral("map.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));

    CDocFixture other;
    other.doc().loadMapFile(path);
    QCOMPARE(other.planText(), before);
    QVERIFY(other.notifier().messages().isEmpty());
}

void TestUbrixVorelDoc::failedMapLoadKeepsPlanAndUpdatesViews_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not xml") << QByteArray("hello");
    QTest::newRow("truncated") << QByteArray("<?xml version=\"1.0\"?><Plan><Device_Configuration>");
    QTest::newRow("two document elements") << QByteArray("<Plan/><Plan/>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("invalid utf-8") << QByteArray("<Plan><NAME>\xff\xfe</NAME></Plan>");
    QTest::newRow("forbidden character reference") << QByteArray("<Plan><NAME>&#1;</NAME></Plan>");
    QTest::newRow("duplicate attribute") << QByteArray("<Plan><UBRIX IP=\"1\" IP=\"2\"/></Plan>");
    QTest::newRow("missing file") << QByteArray("<missing>");
    // The program's stack would not have taken what a recursive check made of it.
    QTest::newRow("50,000 nested elements")
        << QByteArray("<Plan>") + QByteArray("<a>").repeated(50000) +
               QByteArray("</a>").repeated(50000) + QByteArray("</Plan>");
}

void TestUbrixVorelDoc::failedMapLoadKeepsPlanAndUpdatesViews() {
    QFETCH(QByteArray, content);
    CDocFixture fixture;
    fixture.receive({line("!NAME=Lobby;")});
    const QByteArray before = fixture.planText();
    fixture.takeHints();

    QString path = fixture.path(QStringLiteral("broken.xml"));
    if (content == "<missing>") {
        path = fixture.path(QStringLiteral("no/such/file.xml"));
    } else {
        writeFile(path, content);
    }
    fixture.doc().loadMapFile(path);
    QCOMPARE(fixture.planText(), before);
    QCOMPARE(fixture.takeHints(), QList<quint32>{16});
    QCOMPARE(fixture.notifier().messages().size(), 1);
    QVERIFY(fixture.notifier().messages().front().startsWith(
        QStringLiteral("Failed to load template:\n")));
    QVERIFY(fixture.notifier().messages().front().endsWith(QStringLiteral("\n")));
    // The plan still works after the failed load.
    fixture.receive({line("!NAME=Hall;")});
    QVERIFY(fixture.planText().contains("<NAME>Hall</NAME>"));
}

void TestUbrixVorelDoc::failedSaveKeepsEarlierFile() {
    CDocFixture fixture;
    const QString path = fixture.path(QStringLiteral("map.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    const QByteArray earlier = readFile(path);
    fixture.receive({line("!NAME=Lobby;")});
    QVERIFY(!fixture.doc().saveMapFile(fixture.path(QStringLiteral("no/such/dir/map.xml"))));
    QCOMPARE(fixture.notifier().messages().size(), 1);
    QVERIFY(fixture.notifier().messages().front().startsWith(
        QStringLiteral("Failed to save template:\n")));
    QCOMPARE(readFile(path), earlier);
}

void TestUbrixVorelDoc::projectOpenAndSave() {
    CDocFixture fixture;
    const QString path = fixture.path(QStringLiteral("project.xml"));
    writeFile(path,
              "<?xml version=\"1.0\"?><Plan><Device_Configuration><DEVICE "
              "UID=\"1\"><TYPE>X</TYPE></DEVICE>"
              "</Device_Configuration><Network_Configuration/></Plan>");
    QVERIFY(fixture.doc().openProject(path));
    QCOMPARE(fixture.doc().templatePath(), path);
    QCOMPARE(fixture.takeHints(), QList<quint32>{16});

    const QString copy = fixture.path(QStringLiteral("copy.xml"));
    QVERIFY(fixture.doc().saveProject(copy));
    QCOMPARE(readFile(copy).count("<?xml"), 1);
    CDocFixture other;
    QVERIFY(other.doc().openProject(copy));
    QCOMPARE(CDocFixture::compact(*other.doc().templateDocument()),
             CDocFixture::compact(*fixture.doc().templateDocument()));
}

void TestUbrixVorelDoc::failedProjectOpenKeepsTemplate() {
    CDocFixture fixture;
    const QString good = fixture.path(QStringLiteral("project.xml"));
    writeFile(good, "<Plan><Device_Configuration/><Network_Configuration/></Plan>");
    QVERIFY(fixture.doc().openProject(good));
    const QString bad = fixture.path(QStringLiteral("bad.xml"));
    writeFile(bad, "<Plan>");
    fixture.takeHints();
    QVERIFY(!fixture.doc().openProject(bad));
    QCOMPARE(fixture.notifier().messages(), QStringList{QStringLiteral("Failed to open Template")});
    QCOMPARE(fixture.doc().templatePath(), good);
    QVERIFY(fixture.doc().templateDocument()->child("Plan"));
    QVERIFY(fixture.takeHints().isEmpty());
}

void TestUbrixVorelDoc::netAddDeviceSortsNumerically() {
    CDocFixture fixture;
    for (const char* uid : {"7", "3", "12", "5"}) {
        fixture.doc().NetAddDevice("10.0.0.1", uid, "UID");
    }
    QCOMPARE(
        networkText(fixture),
        QByteArray(
            "<Network_Configuration><UBRIX IP=\"10.0.0.1\"><DEVICE UID=\"3\"/><DEVICE UID=\"5\"/>"
            "<DEVICE UID=\"7\"/><DEVICE UID=\"12\"/></UBRIX></Network_Configuration>"));
}

void TestUbrixVorelDoc::netAddDeviceCreatesGatewayOnce() {
    CDocFixture fixture;
    fixture.doc().NetAddDevice("10.0.0.1", "4", "UID");
    const QByteArray once = networkText(fixture);
    fixture.doc().NetAddDevice("10.0.0.1", "4", "UID");
    QCOMPARE(networkText(fixture), once);
    QCOMPARE(once,
             QByteArray("<Network_Configuration><UBRIX IP=\"10.0.0.1\"><DEVICE UID=\"4\"/></UBRIX>"
                        "</Network_Configuration>"));
    fixture.doc().NetAddDevice("10.0.0.1", "4'", "UID");
    QVERIFY(fixture.errorLogText().endsWith("Error in CUbrixVorelDoc::NetAddDevice()\n"));
    QCOMPARE(networkText(fixture), once);
}

void TestUbrixVorelDoc::removeBusDevice_data() {
    QTest::addColumn<QByteArray>("gateway");
    QTest::addColumn<QByteArray>("uid");
    QTest::addColumn<bool>("removed");
    QTest::newRow("heard there") << QByteArray("192.168.1.20") << QByteArray("5") << true;
    QTest::newRow("heard elsewhere") << QByteArray("192.168.1.21") << QByteArray("5") << false;
    QTest::newRow("unknown device") << QByteArray("192.168.1.20") << QByteArray("6") << false;
}

void TestUbrixVorelDoc::removeBusDevice() {
    QFETCH(QByteArray, gateway);
    QFETCH(QByteArray, uid);
    QFETCH(bool, removed);
    CDocFixture fixture;
    fixture.receive({line("+UID5;"), line("!UID5.NAME=Lamp;")});
    fixture.doc().removeBusDevice(gateway, uid, "UID");
    QCOMPARE(!fixture.planText().contains("UID=\"5\""), removed);
    // A device removed and heard again is created afresh.
    fixture.receive({line("!UID5.NAME=Again;")});
    QCOMPARE(fixture.planText().count("UID=\"5\""), 2);
}

void TestUbrixVorelDoc::networkListIsThePlansOwnChild() {
    // A hostile reply makes an element of that name inside a device; the map file, saved
    // and loaded again, rebuilds the index. New gateways still join the Plan's own list.
    CDocFixture fixture;
    fixture.receive({line("!UID5.Network_Configuration.X=1;")});
    const QString path = fixture.path(QStringLiteral("map.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    fixture.doc().loadMapFile(path);
    fixture.receive({"[10:00:00] (192.168.1.21) !NAME=Second;"});
    const pugi::xml_document& plan = fixture.doc().plan();
    QCOMPARE(plan.select_nodes("/Plan/Network_Configuration/UBRIX").size(), size_t{2});
    QCOMPARE(plan.select_nodes("//DEVICE//UBRIX").size(), size_t{0});
}

void TestUbrixVorelDoc::indexFollowsLoadedPlan() {
    CDocFixture fixture;
    fixture.receive({line("!NAME=Old;")});
    const QString path = fixture.path(QStringLiteral("map.xml"));
    writeFile(path,
              "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME>Loaded</NAME></UBRIX>"
              "</Device_Configuration><Network_Configuration/></Plan>");
    fixture.doc().loadMapFile(path);
    fixture.receive({line("!NAME=New;")});
    QCOMPARE(fixture.planText().count("<UBRIX"), 1);
    QVERIFY(fixture.planText().contains("<NAME>New</NAME>"));
}

void TestUbrixVorelDoc::keypadBlockDefaults() {
    CDocFixture fixture;
    const CKeypadAddressBlock block = CKeypadAddressBlock::fromSettings(fixture.settings());
    const std::array<std::array<int, 5>, 6> expected{{{1, 1, 0, 1, 5},
                                                      {1, 2, 0, 1, 5},
                                                      {1, 1, 0, 1, 4},
                                                      {1, 2, 0, 1, 4},
                                                      {1, 0, 0, 1, 6},
                                                      {2, 1, 0, 1, 0}}};
    for (size_t n = 0; n < expected.size(); ++n) {
        const CKeypadAddressBlock::Entry& entry = block.entries[n];
        QCOMPARE((std::array<int, 5>{entry.zone, entry.group, entry.node, entry.inUse, entry.kind}),
                 expected[n]);
    }
    QCOMPARE(block.type, 1);
}

void TestUbrixVorelDoc::keypadBlockFromSettings() {
    QTemporaryDir dir;
    const auto store = CSettings::openFileStore(dir.filePath(QStringLiteral("vorel.ini")));
    store->setValue(QStringLiteral("Device/Zone6"), 9);
    store->setValue(QStringLiteral("Device/Group6"), 8);
    store->setValue(QStringLiteral("Device/Node6"), 7);
    store->setValue(QStringLiteral("Device/Type"), 3);
    CSettings settings;
    settings.load(*store);
    const CKeypadAddressBlock block = CKeypadAddressBlock::fromSettings(settings);
    QCOMPARE(block.entries[5].zone, 9);
    QCOMPARE(block.entries[5].group, 8);
    QCOMPARE(block.entries[5].node, 7);
    QCOMPARE(block.entries[5].kind, 0);
    QCOMPARE(block.entries[0].zone, 1);
    QCOMPARE(block.type, 3);
}

void TestUbrixVorelDoc::historyTrimsAndLogs() {
    CDocFixture fixture(true);
    QVERIFY(fixture.doc().isLogging());
    QList<QByteArray> lines;
    const int total = static_cast<int>(CTrafficHistory::kLimit + CTrafficHistory::kTrim);
    for (int i = 1; i <= total; ++i) {
        lines << line("line " + QByteArray::number(i));
    }
    fixture.receive(lines.mid(0, 3));
    // Each line is in the file as soon as the drain is through, not when it is trimmed.
    QCOMPARE(readFile(fixture.settings().logFilename), lines.mid(0, 3).join('\n') + '\n');

    fixture.receive(lines.mid(3, total - 4));
    QCOMPARE(fixture.doc().trafficHistory().size(), size_t{total - 1});
    fixture.receive(lines.mid(total - 1));
    QCOMPARE(fixture.doc().trafficHistory().size(), CTrafficHistory::kLimit);
    QCOMPARE(fixture.doc().trafficHistory().front(),
             line("line " + QByteArray::number(CTrafficHistory::kTrim + 1)));
    QCOMPARE(fixture.doc().trafficSession().firstNumber(), quint64{CTrafficHistory::kTrim});
    QCOMPARE(readFile(fixture.settings().logFilename), lines.join('\n') + '\n');
    fixture.doc().stopLogging();
    QCOMPARE(readFile(fixture.settings().logFilename), lines.join('\n') + '\n');
}

void TestUbrixVorelDoc::startAndStopLogEachLineOnce() {
    CDocFixture fixture;
    QVERIFY(!fixture.doc().isLogging());
    fixture.receive({line("before")});
    fixture.doc().startLogging();
    QVERIFY(fixture.doc().isLogging());
    fixture.receive({line("after")});
    fixture.doc().stopLogging();
    QVERIFY(!fixture.doc().isLogging());
    QCOMPARE(fixture.doc().trafficHistory().size(), size_t{2});

    // Logging again appends what arrives while it is on, and nothing twice.
    fixture.doc().startLogging();
    fixture.receive({line("again")});
    fixture.doc().stopLogging();
    fixture.receive({line("while off")});
    fixture.doc().startLogging();
    fixture.doc().stopLogging();
    QCOMPARE(readFile(fixture.settings().logFilename), line("after") + "\n" + line("again") + "\n");
}

void TestUbrixVorelDoc::logFileThatCannotOpenLeavesLoggingOff() {
    CDocFixture fixture;
    fixture.settings().logFilename = fixture.path(QStringLiteral("no/such/dir/log.txt"));
    fixture.doc().startLogging();
    QVERIFY(!fixture.doc().isLogging());
    QVERIFY(fixture.notifier().messages().isEmpty());
}

void TestUbrixVorelDoc::closeDrainsQueueUnparsed() {
    CDocFixture fixture(true);
    fixture.doc().inboundQueue().push(line("!NAME=Lobby;"));
    fixture.doc().close();
    QVERIFY(fixture.doc().inboundQueue().isEmpty());
    QCOMPARE(fixture.doc().trafficHistory().size(), size_t{1});
    QVERIFY(!fixture.planText().contains("Lobby"));
    QCOMPARE(readFile(fixture.settings().logFilename), line("!NAME=Lobby;") + "\n");
}

void TestUbrixVorelDoc::schemaIsLoaded() {
    CDocFixture fixture;
    QVERIFY(fixture.doc().schema().child("Validate"));
    QVERIFY(fixture.notifier().messages().isEmpty());
}

QTEST_GUILESS_MAIN(TestUbrixVorelDoc)
#include "TestUbrixVorelDoc.moc"
