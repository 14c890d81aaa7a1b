#include "support/CDocFixture.h"
#include "support/TestSupport.h"

#include "core/common/CXmlFile.h"
#include "core/plan/CModelTemplates.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString kProgramFolder = QStringLiteral(VOREL_RUNTIME_DIR);

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QStringList attributes(const CDocFixture& fixture, const char* xpath, const char* name) {
    QStringList values;
    for (const pugi::xpath_node& hit : fixture.doc().templateDocument()->select_nodes(xpath)) {
        values << QString::fromUtf8(hit.node().attribute(name).value());
    }
    return values;
}

enum Model { UbrixA = 0, LumetAC = 3 };
}  // namespace

// Assembling a project from the model templates shipped beside the program.
class TestModelTemplates : public QObject {
    Q_OBJECT

private slots:
    void listIsTheShippedModels();
    void firstAddBeginsAnUntitledProject();
    void gatewaysGetPlaceholderAddresses();
    void devicesGetLowestFreeUid();
    void addedModelCarriesItsSettings();
    void missingModelLeavesProjectUnchanged();
    void modelWithoutDeviceLeavesProjectUnchanged();
    void theDeviceCheckedIsTheOneCopied();
    void allPlaceholdersTakenDoesNotHang();

private:
    void openEmptyProject(CDocFixture& fixture, const QByteArray& devices = {}) {
        const QString path = fixture.path(QStringLiteral("project.xml"));
        writeFile(path, "<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
                            "</Device_Configuration><Network_Configuration/></Plan>");
        QVERIFY(fixture.doc().openProject(path));
    }
};

void TestModelTemplates::listIsTheShippedModels() {
    const auto& models = CModelTemplates::models();
    QCOMPARE(QString::fromLatin1(models[0].caption), QStringLiteral("Ubrix A"));
    QCOMPARE(QString::fromLatin1(models[9].fileName), QStringLiteral("template_tavob.xml"));
    for (const CModelTemplates::Model& model : models) {
        QVERIFY2(QFile::exists(QDir(kProgramFolder).filePath(QLatin1String(model.fileName))),
                 model.fileName);
    }
}

// The first model becomes the project as its file stands, but the project has no file yet:
// a save must never write over the program's own model.
void TestModelTemplates::firstAddBeginsAnUntitledProject() {
    CDocFixture fixture;
    QVERIFY(fixture.doc().addTemplateModel(LumetAC, kProgramFolder).has_value());
    QVERIFY(fixture.doc().hasTemplate());
    QCOMPARE(fixture.doc().templatePath(), QStringLiteral("Template"));
    QVERIFY(fixture.doc().isTemplateModified());
    pugi::xml_document model;
    QString reason;
    QVERIFY(CXmlFile::load(QDir(kProgramFolder).filePath(QStringLiteral("template_lumetaC.xml")),
                           model, reason));
    QCOMPARE(CDocFixture::compact(*fixture.doc().templateDocument()), CDocFixture::compact(model));
}

void TestModelTemplates::gatewaysGetPlaceholderAddresses() {
    CDocFixture fixture;
    openEmptyProject(fixture, "<DEVICE UID=\"1\"/>");
    for (int i = 0; i < 3; ++i) {
        QVERIFY(fixture.doc().addTemplateModel(UbrixA, kProgramFolder).has_value());
    }
    QCOMPARE(attributes(fixture, "//Device_Configuration/UBRIX", "IP"),
             (QStringList{"0.0.0.1", "0.0.0.2", "0.0.0.3"}));
    // They stand at the end, after what the project held.
    const pugi::xml_node last =
        fixture.doc().templateDocument()->select_node("//Device_Configuration").node().last_child();
    QCOMPARE(QString::fromUtf8(last.attribute("IP").value()), QStringLiteral("0.0.0.3"));
    QVERIFY(fixture.notifier().messages().isEmpty());
}

void TestModelTemplates::devicesGetLowestFreeUid() {
    CDocFixture fixture;
    openEmptyProject(fixture, "<DEVICE UID=\"1\"/><DEVICE UID=\"2\"/><DEVICE UID=\"4\"/>");
    QVERIFY(fixture.doc().addTemplateModel(LumetAC, kProgramFolder).has_value());
    QVERIFY(fixture.doc().addTemplateModel(LumetAC, kProgramFolder).has_value());
    QCOMPARE(attributes(fixture, "//Device_Configuration/DEVICE", "UID"),
             (QStringList{"1", "2", "4", "3", "5"}));
}

void TestModelTemplates::addedModelCarriesItsSettings() {
    CDocFixture fixture;
    openEmptyProject(fixture);
    QVERIFY(fixture.doc().addTemplateModel(LumetAC, kProgramFolder).has_value());
    const pugi::xml_node device =
        fixture.doc().templateDocument()->select_node("//Device_Configuration/DEVICE").node();
    QVERIFY(device.child("TYPE"));
    QVERIFY(std::distance(device.children().begin(), device.children().end()) > 1);
}

void TestModelTemplates::missingModelLeavesProjectUnchanged() {
    CDocFixture fixture;
    openEmptyProject(fixture);
    const QByteArray before = CDocFixture::compact(*fixture.doc().templateDocument());
    QVERIFY(!fixture.doc()
                 .addTemplateModel(UbrixA, fixture.path(QStringLiteral("nowhere")))
                 .has_value());
    QCOMPARE(fixture.notifier().messages(), QStringList{QStringLiteral("Failed to open Template")});
    QCOMPARE(CDocFixture::compact(*fixture.doc().templateDocument()), before);
}

void TestModelTemplates::modelWithoutDeviceLeavesProjectUnchanged() {
    CDocFixture fixture;
    openEmptyProject(fixture);
    const QByteArray before = CDocFixture::compact(*fixture.doc().templateDocument());
    QDir folder(fixture.path(QStringLiteral("models")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    writeFile(folder.filePath(QStringLiteral("template_ubrixa.xml")),
              "<Plan><Device_Configuration><DEVICE UID=\"1\"/></Device_Configuration></Plan>");
    QVERIFY(!fixture.doc().addTemplateModel(UbrixA, folder.path()).has_value());
    QCOMPARE(CDocFixture::compact(*fixture.doc().templateDocument()), before);
    QCOMPARE(fixture.notifier().messages().size(), 1);
}

void TestModelTemplates::theDeviceCheckedIsTheOneCopied() {
    // A comment, or any other node, may stand before the model's device.
    CDocFixture fixture;
    openEmptyProject(fixture);
    QDir folder(fixture.path(QStringLiteral("models")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    writeFile(folder.filePath(QStringLiteral("template_ubrixa.xml")),
              "<Plan><Device_Configuration><!-- Ubrix A --><NOTE/>"
              "<UBRIX IP=\"9.9.9.9\"><TYPE>UBRIX_A</TYPE></UBRIX>"
              "</Device_Configuration></Plan>");
    QVERIFY(fixture.doc().addTemplateModel(UbrixA, folder.path()).has_value());
    QCOMPARE(CDocFixture::compact(
                 fixture.doc().templateDocument()->select_node("//Device_Configuration").node()),
             QByteArray("<Device_Configuration><UBRIX IP=\"0.0.0.1\"><TYPE>UBRIX_A</TYPE></UBRIX>"
                        "</Device_Configuration>"));
}

void TestModelTemplates::allPlaceholdersTakenDoesNotHang() {
    CDocFixture fixture;
    QByteArray gateways;
    for (int n = 0; n < 256; ++n) {
        gateways += "<UBRIX IP=\"0.0.0." + QByteArray::number(n) + "\"/>";
    }
    openEmptyProject(fixture, gateways);
    QVERIFY(!fixture.doc().addTemplateModel(UbrixA, kProgramFolder).has_value());
    QCOMPARE(attributes(fixture, "//Device_Configuration/UBRIX", "IP").size(), 256);
    QCOMPARE(fixture.notifier().messages().size(), 1);
}

QTEST_GUILESS_MAIN(TestModelTemplates)
#include "TestModelTemplates.moc"
