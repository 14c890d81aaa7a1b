#include "CGuiHarness.h"
#include "CViewControls.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include "core/project/CProjectLookup.h"
#include "core/project/CProjectTreeModel.h"
#include "gui/base/CDialogService.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CUbrixVorelMap.h"

#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

const QString kSim = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kGateways = 2;
constexpr int kDevices = 8;

QByteArray runCli(const QStringList& arguments, int* exitCode = nullptr) {
    QProcess cli;
    cli.start(kCli, arguments);
    if (!cli.waitForFinished(120000)) {
        cli.kill();
    }
    if (exitCode != nullptr) {
        *exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    }
    return cli.readAllStandardOutput() + cli.readAllStandardError();
}

QModelIndex deviceAt(const CUbrixVorelMap& view, int row) {
    const QAbstractItemModel* tree = viewcontrols::tree(view).model();
    return tree->index(row, 0, tree->index(0, 0));
}

// Clicks the item and every section below it; returns how many rows they listed.
int listAll(CUbrixVorelMap& view, const QModelIndex& item) {
    view.OnNMClickTree1(item);
    int rows = viewcontrols::properties(view).rowCount();
    for (int row = 0; row < item.model()->rowCount(item); ++row) {
        rows += listAll(view, item.model()->index(row, 0, item));
    }
    return rows;
}

// Renames the device item at row of the root through its in-place editor, as a user does.
void rename(CUbrixVorelMap& view, int row, const QString& typed) {
    const QModelIndex item = deviceAt(view, row);
    QVERIFY(item.isValid());
    view.OnNMClickTree1(item);
    view.OnMapChangeAddress();
    auto* editor = viewcontrols::tree(view).viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // The change is made once the editor has closed.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

}  // namespace

// A map collected from a simulated site of every device type opens as a project in which
// every device lists and renames: families the keyword table does not know, groups without
// a keyword and devices of every shape included.
class TestProjectFromSite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyDeviceListsAndRenames();
    void everyGatewayRenames();

private:
    void openSite(CGuiHarness& harness);

    QProcess m_sim;
    QTemporaryDir m_dir;
    QString m_map;
};

void TestProjectFromSite::initTestCase() {
    const QString skip = CTestLan::isolateProcess();
    if (!skip.isEmpty()) {
        QSKIP(qPrintable(skip));
    }
    CDialogService::enableTestHook();
    m_sim.start(kSim, {"--types", "all", "--gateways", QString::number(kGateways), "--devices",
                       QString::number(kDevices), "--base-address", "127.0.0.11", "--quiet"});
    QVERIFY2(m_sim.waitForStarted(10000), qPrintable(m_sim.errorString()));
    QByteArray discovered;
    for (int attempt = 0; attempt < 50 && discovered.count('\n') < kGateways; ++attempt) {
        discovered = runCli({"discover", "--loopback", "--wait-ms", "500"});
    }
    QCOMPARE(discovered.count('\n'), kGateways);
    m_map = m_dir.filePath(QStringLiteral("site.xml"));
    int exitCode = -1;
    const QByteArray said = runCli({"collect", "--loopback", "--map", m_map}, &exitCode);
    QVERIFY2(exitCode == 0, said.constData());
}

void TestProjectFromSite::cleanupTestCase() {
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.kill();
        m_sim.waitForFinished(5000);
    }
    CDialogService::disableTestHook();
}

void TestProjectFromSite::openSite(CGuiHarness& harness) {
    QVERIFY(harness.doc().openProject(m_map));
    const pugi::xml_document& project = *harness.doc().templateDocument();
    QCOMPARE(CProjectLookup::devices(project, CProjectDevice::Role::BusDevice).size(),
             size_t{kGateways * kDevices});
}

void TestProjectFromSite::everyDeviceListsAndRenames() {
    CGuiHarness harness;
    openSite(harness);
    CUbrixVorelMap view(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, &view,
                     &CUbrixVorelMap::OnUpdate);
    view.resize(700, 500);
    view.show();
    view.OnInitialUpdate();
    const QModelIndex root = viewcontrols::tree(view).model()->index(0, 0);
    QCOMPARE(viewcontrols::tree(view).model()->rowCount(root), kGateways * kDevices);

    QStringList types;
    const int devices = viewcontrols::tree(view).model()->rowCount(root);
    for (int row = 0; row < devices; ++row) {
        const CProjectDevice before{
            CProjectDevice::Role::BusDevice,
            deviceAt(view, row).data(CProjectTreeModel::kAddressRole).toString().toStdString()};
        types << QString::fromStdString(CProjectLookup::typeOf(
            CProjectLookup::find(*harness.doc().templateDocument(), before)));
        // Every setting it reported lists on some page of it.
        const pugi::xml_node element =
            CProjectLookup::find(*harness.doc().templateDocument(), before);
        const int settings = static_cast<int>(element.select_nodes(".//*[not(*)]").size());
        QCOMPARE(listAll(view, deviceAt(view, row)), settings);
        rename(view, row, QString::number(1000 + row));
        QVERIFY2(!CProjectLookup::find(*harness.doc().templateDocument(), before),
                 before.id.c_str());
    }
    for (int row = 0; row < devices; ++row) {
        QVERIFY(
            CProjectLookup::find(*harness.doc().templateDocument(),
                                 {CProjectDevice::Role::BusDevice, std::to_string(1000 + row)}));
    }
    // The site holds the families the keyword table does not know.
    QVERIFY2(types.filter(QStringLiteral("SORIN")).size() +
                     types.filter(QStringLiteral("KADEL")).size() >
                 0,
             qPrintable(types.join(QLatin1Char(' '))));
    QVERIFY(harness.fixture().errorLogText().isEmpty());
}

void TestProjectFromSite::everyGatewayRenames() {
    CGuiHarness harness;
    openSite(harness);
    harness.state().mapMode = CProjectTreeModel::kGatewayMode;
    CUbrixVorelMap view(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, &view,
                     &CUbrixVorelMap::OnUpdate);
    view.show();
    view.OnInitialUpdate();
    QVERIFY(namedChild<QRadioButton>(view, "ubrix")->isChecked());
    QCOMPARE(
        viewcontrols::tree(view).model()->rowCount(viewcontrols::tree(view).model()->index(0, 0)),
        kGateways);
    for (int row = 0; row < kGateways; ++row) {
        rename(view, row, QStringLiteral("10.0.0.%1").arg(row + 9));
    }
    for (int row = 0; row < kGateways; ++row) {
        QVERIFY(CProjectLookup::find(
            *harness.doc().templateDocument(),
            {CProjectDevice::Role::Gateway, "10.0.0." + std::to_string(row + 9)}));
    }
}

QTEST_MAIN(TestProjectFromSite)
#include "TestProjectFromSite.moc"
