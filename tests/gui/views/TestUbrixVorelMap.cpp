#include "CGuiHarness.h"
#include "CTreeDriver.h"
#include "CViewControls.h"
#include "support/NamedChild.h"

#include "core/common/CXmlFile.h"
#include "core/plan/CErrorLog.h"
#include "core/project/CProjectLookup.h"
#include "core/project/CProjectTreeModel.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CTemplateAdd.h"
#include "gui/views/CUbrixVorelMap.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <memory>

namespace {

const QString kProgramFolder = QStringLiteral(VOREL_RUNTIME_DIR);

void writeProject(const QString& path, const QByteArray& devices) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
               "</Device_Configuration><Network_Configuration/></Plan>");
}

// The tree's labels, depth first, indented by depth.
QStringList treeText(const QTreeView* tree) {
    return treeview::lines(*tree);
}

// The first item with that label, anywhere; invalid when there is none.
QModelIndex findItem(const QTreeView* tree, const QString& label) {
    const QModelIndexList found =
        tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, label, 1,
                             Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

QLineEdit* labelEditor(const QTreeView* tree) {
    return tree->viewport()->findChild<QLineEdit*>();
}

// The item at the end of a path of labels from the root.
QModelIndex itemAt(const QTreeView* tree, const QStringList& path) {
    return treeview::at(*tree, path);
}

QStringList deviceLabels(const QTreeView* tree) {
    return treeview::childLabels(itemAt(tree, {}));
}

// One line per listed row: label, value, text colour, editor and a combo's options.
QStringList rowsOf(const CPropertyList* list) {
    QStringList rows;
    for (int row = 0; row < list->rowCount(); ++row) {
        const CPropertyRow& shown = list->row(row);
        const char* editors[] = {"none", "text", "combo"};
        rows << QStringLiteral("%1=%2 #%3 %4 %5")
                    .arg(shown.label, list->cellText(row, 1))
                    .arg(shown.textRgb, 6, 16, QLatin1Char('0'))
                    .arg(QLatin1String(editors[static_cast<int>(shown.editor)]),
                         shown.options.join(QLatin1Char('|')))
                    .trimmed();
    }
    return rows;
}

// A view as the frame makes one: built, shown, told of the document's updates.
std::unique_ptr<CUbrixVorelMap> openView(CGuiHarness& harness, bool connected = true,
                                         CUbrixVorelMap::UploadStarter upload = {}) {
    auto view = std::make_unique<CUbrixVorelMap>(harness.context(), std::move(upload));
    if (connected) {
        QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, view.get(),
                         &CUbrixVorelMap::OnUpdate);
    }
    view->resize(700, 500);
    view->show();
    view->OnInitialUpdate();
    if (!connected) {
        view->OnUpdate(CUbrixVorelDoc::kHintRestructured);
    }
    return view;
}

}  // namespace

class TestUbrixVorelMap : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hints_data();
    void hints();
    void announcedDeviceIsSelected();
    void modesShowDevicesOrGateways();
    void renameKeys_data();
    void renameKeys();
    void deviceGoneBehindTheTreeIsLogged();
    void listing_data();
    void listing();
    void aRefusedValueIsPutBack_data();
    void aRefusedValueIsPutBack();
    void projectFromThreeModels();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void uploadWaitsForAnUpload();
    void resizeRules();

private:
    CGuiHarness* m_harness = nullptr;
};

void TestUbrixVorelMap::init() {
    m_harness = new CGuiHarness;
    CDialogService::enableTestHook();
    writeProject(
        m_harness->fixture().path(QStringLiteral("project.xml")),
        R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME><NETWORK><DHCP>ENABLE</DHCP></NETWORK>)"
        R"(</UBRIX><DEVICE UID="5"><TYPE>KADEL_A</TYPE><PORT P="A"><LED><MODE>RGB</MODE>)"
        R"(</LED></PORT></DEVICE><DEVICE UID="6"><NAME>untyped</NAME></DEVICE>)");
    QVERIFY(m_harness->doc().openProject(m_harness->fixture().path(QStringLiteral("project.xml"))));
}

void TestUbrixVorelMap::cleanup() {
    CModalRunner::clearTestRunner();
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
    CDialogService::disableTestHook();
    delete m_harness;
}

void TestUbrixVorelMap::hints_data() {
    QTest::addColumn<quint32>("hint");
    QTest::addColumn<bool>("copyShown");

    QTest::newRow("0: a setting of the program") << 0u << false;
    QTest::newRow("8: a gateway joined the plan") << 8u << false;
    QTest::newRow("32: a traffic line") << 32u << false;
    QTest::newRow("1: a device announced adds what is missing") << 1u << true;
    QTest::newRow("2: settings replies add what is missing") << 2u << true;
    QTest::newRow("16 rebuilds") << 16u << true;
}

void TestUbrixVorelMap::hints() {
    QFETCH(quint32, hint);
    QFETCH(bool, copyShown);

    const auto view = openView(*m_harness, false);
    QAbstractItemModelTester tester(viewcontrols::tree(*view).model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(treeText(&viewcontrols::tree(*view)),
             (QStringList{"KV network", "  5 ", "    PORT (A)", "      LED", "  6 "}));
    viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"5 "}));
    viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"5 ", "PORT (A)"}));
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"5 ", "PORT (A)", "LED"}));
    QVERIFY(m_harness->doc().copyTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));
    view->OnUpdate(hint);
    QCOMPARE(findItem(&viewcontrols::tree(*view), QStringLiteral("7 ")).isValid(), copyShown);
    QVERIFY(findItem(&viewcontrols::tree(*view), QStringLiteral("5 ")).isValid());
    // What the tree showed stays open and selected, through a rebuild too.
    QCOMPARE(treeview::expanded(viewcontrols::tree(*view)), (QStringList{"5 ", "5 /PORT (A)"}));
    QCOMPARE(treeview::selected(viewcontrols::tree(*view)), QStringLiteral("5 /PORT (A)/LED"));
}

void TestUbrixVorelMap::announcedDeviceIsSelected() {
    const auto view = openView(*m_harness);
    view->OnUpdate((6u << 16) + 1);
    QCOMPARE(viewcontrols::tree(*view).currentIndex().data().toString(), QStringLiteral("6 "));
    view->OnUpdate((9u << 16) + 1);
    QCOMPARE(viewcontrols::tree(*view).currentIndex().data().toString(), QStringLiteral("6 "));
}

void TestUbrixVorelMap::modesShowDevicesOrGateways() {
    const auto view = openView(*m_harness);
    QVERIFY(namedChild<QRadioButton>(*view, "devices")->isChecked());
    namedChild<QRadioButton>(*view, "ubrix")->click();
    QCOMPARE(m_harness->state().mapMode, CProjectTreeModel::kGatewayMode);
    QCOMPARE(treeText(&viewcontrols::tree(*view)),
             (QStringList{"LAN network", "  0.0.0.1", "    NETWORK"}));
    namedChild<QRadioButton>(*view, "devices")->click();
    QCOMPARE(m_harness->state().mapMode, CProjectTreeModel::kDeviceMode);
    QCOMPARE(itemAt(&viewcontrols::tree(*view), {}).data().toString(),
             QStringLiteral("KV network"));
    QCOMPARE(namedChild<QLineEdit>(*view, "fileName")->text(), QStringLiteral("project.xml"));
}

void TestUbrixVorelMap::renameKeys_data() {
    QTest::addColumn<QString>("label");  // the item renamed, from below its device
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("devices");  // the root's children afterwards
    // Device 5's items were open: they stay open under its address, and the renamed device
    // stays selected.
    QTest::addColumn<QStringList>("expanded");
    QTest::addColumn<QString>("told");  // what the user is told, if anything

    const QList<int> none;
    const QStringList open{"5 ", "5 /PORT (A)"};
    QTest::newRow("Enter commits")
        << "LED" << QList<int>{Qt::Key_Return} << "40" << QStringList{"40 ", "6 "}
        << QStringList{"40 ", "40 /PORT (A)"} << "";
    QTest::newRow("Escape cancels")
        << "5 " << QList<int>{Qt::Key_Escape} << "40" << QStringList{"5 ", "6 "} << open << "";
    QTest::newRow("Delete edits the text, never the project")
        << "5 " << QList<int>{Qt::Key_Home, Qt::Key_Delete, Qt::Key_Return} << "45"
        << QStringList{"5 ", "6 "} << open << "";
    QTest::newRow("a device without a type")
        << "6 " << QList<int>{Qt::Key_Return} << "60" << QStringList{"5 ", "60 "} << open << "";
    QTest::newRow("12x is refused, and said so")
        << "5 " << QList<int>{Qt::Key_Return} << "12x" << QStringList{"5 ", "6 "} << open
        << "12x is not a UID: type a whole number from 1 to 65535.";
    QTest::newRow("a UID out of range is refused")
        << "5 " << QList<int>{Qt::Key_Return} << "70000" << QStringList{"5 ", "6 "} << open
        << "70000 is not a UID: type a whole number from 1 to 65535.";
}

void TestUbrixVorelMap::renameKeys() {
    QFETCH(QString, label);
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, expanded);

    const auto view = openView(*m_harness);
    viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"5 "}));
    viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"5 ", "PORT (A)"}));
    view->OnNMClickTree1(findItem(&viewcontrols::tree(*view), label));
    view->OnMapChangeAddress();
    QLineEdit* editor = labelEditor(&viewcontrols::tree(*view));
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(),
             label.startsWith(QLatin1Char('6')) ? QStringLiteral("6") : QStringLiteral("5"));
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    for (const int key : keys) {
        QTest::keyClick(editor, static_cast<Qt::Key>(key));
    }
    QTRY_VERIFY(labelEditor(&viewcontrols::tree(*view)) == nullptr ||
                !labelEditor(&viewcontrols::tree(*view))->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(deviceLabels(&viewcontrols::tree(*view)), devices);
    QCOMPARE(m_harness->doc().isTemplateModified(), devices != QStringList({"5 ", "6 "}));
    QCOMPARE(treeview::expanded(viewcontrols::tree(*view)), expanded);
    const int renamed = label.startsWith(QLatin1Char('6')) ? 1 : 0;
    QCOMPARE(treeview::selected(viewcontrols::tree(*view)), devices[renamed]);
    QFETCH(QString, told);
    QCOMPARE(m_harness->fixture().notifier().messages(),
             told.isEmpty() ? QStringList() : QStringList{told});
}

void TestUbrixVorelMap::deviceGoneBehindTheTreeIsLogged() {
    const auto view = openView(*m_harness, false);
    QVERIFY(m_harness->doc().deleteTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));
    view->OnNMClickTree1(findItem(&viewcontrols::tree(*view), QStringLiteral("LED")));
    namedChild<QPushButton>(*view, "copy")->click();
    namedChild<QPushButton>(*view, "delete")->click();
    QCOMPARE(m_harness->fixture().errorLogText().count("Error in CUbrixVorelMap::"
                                                       "OnBnClickedButtonCopy()"),
             1);
    QCOMPARE(m_harness->fixture().errorLogText().count("Error in CUbrixVorelMap::"
                                                       "OnBnClickedButtonDelete()"),
             1);
}

void TestUbrixVorelMap::listing_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("port C's serial type offers its own options")
        << 1 << QStringList{"0.0.0.1", "PORT (C)", "SERIAL"}
        << QStringList{"TYPE=NONE #000000 combo RS232|RS485|MODBUS|NONE"};
    QTest::newRow("a value that is no option: dark red, read-only")
        << 0 << QStringList{"4 ", "PORT (A)", "LED"}
        << QStringList{"MODE=FAST #800000 none", "PRESET (2)=0.0.255 #000000 text"};
    QTest::newRow("a group without keyword lists its own settings")
        << 1 << QStringList{"0.0.0.2", "DAYTIME"}
        << QStringList{"DST=ENABLE #000000 combo DISABLE|ENABLE"};
    QTest::newRow("a device's own settings")
        << 0 << QStringList{"4 "}
        << QStringList{"TYPE=LUMET_AC #000000 none", "ALIAS=Desk #000000 text"};
    QTest::newRow("a device without TYPE: grey")
        << 0 << QStringList{"6 "} << QStringList{"NAME=untyped #808080 none"};
    QTest::newRow("the root lists nothing") << 0 << QStringList{} << QStringList{};
}

void TestUbrixVorelMap::listing() {
    QFETCH(int, mode);
    QFETCH(QStringList, path);
    QFETCH(QStringList, rows);

    const QString file = m_harness->fixture().path(QStringLiteral("listing.xml"));
    writeProject(file,
                 R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><PORT P="C"><SERIAL><TYPE>NONE</TYPE>)"
                 R"(</SERIAL></PORT></UBRIX><UBRIX IP="0.0.0.2"><TYPE>UBRIX_B</TYPE><DAYTIME>)"
                 R"(<DST>ENABLE</DST></DAYTIME></UBRIX><DEVICE UID="4"><TYPE>LUMET_AC</TYPE>)"
                 R"(<ALIAS>Desk</ALIAS><PORT P="A"><LED><MODE>FAST</MODE>)"
                 R"(<PRESET A="2">0.0.255</PRESET></LED></PORT></DEVICE>)"
                 R"(<DEVICE UID="6"><NAME>untyped</NAME></DEVICE>)");
    QVERIFY(m_harness->doc().openProject(file));
    m_harness->state().mapMode = mode;
    const auto view = openView(*m_harness);
    const QModelIndex item = itemAt(&viewcontrols::tree(*view), path);
    QVERIFY(item.isValid());
    view->OnNMClickTree1(item);
    QCOMPARE(rowsOf(&viewcontrols::properties(*view)), rows);
    QVERIFY(m_harness->fixture().errorLogText().isEmpty());
}

void TestUbrixVorelMap::aRefusedValueIsPutBack_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");  // empty: any
    QTest::newRow("a text no command could carry") << "a;b" << QString();
    const QString longName(33, QLatin1Char('x'));
    QTest::newRow("a name longer than its type allows")
        << longName << "NAME: " + longName + " is not a text (at most 32 characters)";
}

void TestUbrixVorelMap::aRefusedValueIsPutBack() {
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    m_harness->state().mapMode = CProjectTreeModel::kGatewayMode;
    const auto view = openView(*m_harness);
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"0.0.0.1"}));
    CPropertyList* list = &viewcontrols::properties(*view);
    QCOMPARE(rowsOf(list), (QStringList{"TYPE=UBRIX_A #000000 none", "NAME=Hall #000000 text"}));
    // A text no command could carry: told, and the cell shows the project's value again.
    list->edit(list->model()->index(1, 1));
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->setText(value);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_harness->fixture().notifier().messages().size(), 1);
    if (!refusal.isEmpty()) {
        QCOMPARE(m_harness->fixture().notifier().messages().first(), refusal);
    }
    QTRY_COMPARE(list->cellText(1, 1), QStringLiteral("Hall"));
    QVERIFY(!m_harness->doc().isTemplateModified());
}

// A project built at the desk: three models added, a device renamed, one copied, a gateway
// given its address, the port-bound serial type of its port C chosen, that choice undone
// and done again, the project saved. The saved file is the three models with exactly these
// edits.
void TestUbrixVorelMap::projectFromThreeModels() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.runCommand(vorel::cmd::kViewProject);
    auto* view = qobject_cast<CUbrixVorelMap*>(frame.activeView());
    QVERIFY(view != nullptr);
    frame.show();

    // Each new device is shown, in the mode that shows it, and selected.
    const QList<std::tuple<int, bool, QString>> adds{
        {0, true, "0.0.0.1"}, {3, false, "1 "}, {7, false, "2 "}};  // Ubrix A, Lumet AC, Motra AC
    for (const auto& [model, gateway, selected] : adds) {
        // A copy: a structured binding is not captured by every compiler.
        const int modelIndex = model;
        CModalRunner::setTestRunner([modelIndex](QDialog& dialog) {
            auto& add = dynamic_cast<CTemplateAdd&>(dialog);
            namedChild<QComboBox>(add, QStringLiteral("control%1").arg(CTemplateAdd::kModelList))
                ->setCurrentIndex(modelIndex);
            add.accept();
            return dialog.result();
        });
        namedChild<QPushButton>(*view, "add")->click();
        QCOMPARE(namedChild<QRadioButton>(*view, "ubrix")->isChecked(), gateway);
        QCOMPARE(harness.state().mapMode,
                 gateway ? CProjectTreeModel::kGatewayMode : CProjectTreeModel::kDeviceMode);
        QCOMPARE(treeview::selected(viewcontrols::tree(*view)), selected);
        if (model == 3) {
            viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"1 "}));
            viewcontrols::tree(*view).expand(
                itemAt(&viewcontrols::tree(*view), {"1 ", "PORT (B)"}));
        }
    }
    CModalRunner::clearTestRunner();
    QCOMPARE(treeText(&viewcontrols::tree(*view)),
             (QStringList{"KV network", "  1 ", "    PORT (A)", "      LED", "    PORT (B)",
                          "      LED", "    VOLTAGE", "  2 ", "    PORT (A)", "      MOTOR",
                          "    PORT (B)", "      MOTOR", "    VOLTAGE"}));
    // The last add rebuilt the tree; what was open stays so.
    QCOMPARE(treeview::expanded(viewcontrols::tree(*view)), (QStringList{"1 ", "1 /PORT (B)"}));
    QCOMPARE(namedChild<QLineEdit>(*view, "fileName")->text(), QStringLiteral("Template"));
    QVERIFY(frame.windowTitle().endsWith(QLatin1String(" *")));

    // Rename UID 2 to 20, then copy UID 1: the copy takes the free 2.
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"2 "}));
    view->OnMapChangeAddress();
    labelEditor(&viewcontrols::tree(*view))->setText(QStringLiteral("20"));
    QTest::keyClick(labelEditor(&viewcontrols::tree(*view)), Qt::Key_Return);
    QTRY_VERIFY(itemAt(&viewcontrols::tree(*view), {"20 "}).isValid());
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kEditUndo)->text(),
             QStringLiteral("Undo Change Address"));
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kEditRedo)->isEnabled());
    viewcontrols::tree(*view).expand(itemAt(&viewcontrols::tree(*view), {"20 "}));
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"1 ", "PORT (B)"}));
    namedChild<QPushButton>(*view, "copy")->click();
    QVERIFY(itemAt(&viewcontrols::tree(*view), {"2 "}).isValid());
    // The copy is selected, and what was open stays so.
    QCOMPARE(treeview::selected(viewcontrols::tree(*view)), QStringLiteral("2 "));
    QCOMPARE(treeview::expanded(viewcontrols::tree(*view)),
             (QStringList{"1 ", "1 /PORT (B)", "20 "}));
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kEditUndo)->text(),
             QStringLiteral("Undo Copy"));
    // A second Copy copies the copy, under the next free UID.
    namedChild<QPushButton>(*view, "copy")->click();
    QCOMPARE(treeview::selected(viewcontrols::tree(*view)), QStringLiteral("3 "));
    CGuiHarness::command(frame, vorel::cmd::kEditUndo)->trigger();
    QVERIFY(!itemAt(&viewcontrols::tree(*view), {"3 "}).isValid());
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kEditRedo)->text(),
             QStringLiteral("Redo Copy"));

    // The gateway gets its address, and its port C a serial protocol from port C's options.
    namedChild<QRadioButton>(*view, "ubrix")->click();
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"0.0.0.1"}));
    view->OnMapChangeAddress();
    labelEditor(&viewcontrols::tree(*view))->setText(QStringLiteral("10.0.0.9"));
    QTest::keyClick(labelEditor(&viewcontrols::tree(*view)), Qt::Key_Return);
    QTRY_VERIFY(itemAt(&viewcontrols::tree(*view), {"10.0.0.9"}).isValid());
    view->OnNMClickTree1(itemAt(&viewcontrols::tree(*view), {"10.0.0.9", "PORT (C)", "SERIAL"}));
    CPropertyList* list = &viewcontrols::properties(*view);
    list->edit(list->model()->index(0, 1));
    auto* combo = list->viewport()->findChild<QComboBox*>();
    QVERIFY(combo != nullptr);
    QCOMPARE(combo->maxVisibleItems(), 4);
    QCOMPARE(combo->count(), 4);
    combo->setCurrentIndex(combo->findText(QStringLiteral("RS485")));
    emit combo->activated(combo->currentIndex());
    QTRY_COMPARE(list->cellText(0, 1), QStringLiteral("RS485"));

    // Undone and done again with the keys, while the page stays listed.
    // (The closed combo's popup took the window's activation with it offscreen.)
    const auto pressInTree = [&](Qt::Key key) {
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        viewcontrols::tree(*view).setFocus();
        QTest::keyClick(&viewcontrols::tree(*view), key, Qt::ControlModifier);
    };
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kEditUndo)->text(),
             QStringLiteral("Undo Change TYPE"));
    pressInTree(Qt::Key_Z);
    QTRY_COMPARE(list->cellText(0, 1), QStringLiteral("NONE"));
    pressInTree(Qt::Key_Y);
    QTRY_COMPARE(list->cellText(0, 1), QStringLiteral("RS485"));

    const QString saved = harness.fixture().path(QStringLiteral("site.xml"));
    CDialogService::setNextFileName(saved);
    frame.runCommand(vorel::cmd::kSaveProject);
    QCOMPARE(frame.windowTitle(), QString::fromLatin1(CMainFrame::kTitle));
    QCOMPARE(namedChild<QLineEdit>(*view, "fileName")->text(), QStringLiteral("site.xml"));

    // The same project made by hand from the model files.
    pugi::xml_document expected;
    QString reason;
    QVERIFY(CXmlFile::load(QDir(kProgramFolder).filePath("template_ubrixa.xml"), expected, reason));
    pugi::xml_node configuration = CProjectLookup::deviceConfiguration(expected);
    for (const char* model : {"template_lumetaC.xml", "template_motraaC.xml"}) {
        pugi::xml_document device;
        QVERIFY(
            CXmlFile::load(QDir(kProgramFolder).filePath(QLatin1String(model)), device, reason));
        configuration.append_copy(CProjectLookup::deviceConfiguration(device).first_child());
    }
    configuration.find_child_by_attribute("DEVICE", "UID", "1").next_sibling().attribute("UID") =
        "2";
    configuration.find_child_by_attribute("DEVICE", "UID", "2").attribute("UID") = "20";
    configuration.append_copy(configuration.find_child_by_attribute("DEVICE", "UID", "1"))
        .attribute("UID") = "2";
    pugi::xml_node gateway = configuration.child("UBRIX");
    gateway.attribute("IP") = "10.0.0.9";
    gateway.find_child_by_attribute("PORT", "P", "C").child("SERIAL").child("TYPE").text() =
        "RS485";
    pugi::xml_document written;
    QVERIFY(CXmlFile::load(saved, written, reason));
    QCOMPARE(CXmlFile::serialize(written), CXmlFile::serialize(expected));
    QVERIFY(harness.fixture().errorLogText().isEmpty());
}

void TestUbrixVorelMap::unsavedChangesAreAskedAbout_data() {
    QTest::addColumn<int>("command");   // 0: the window is closed
    QTest::addColumn<bool>("ownFile");  // the project was opened from a file
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs");  // the save dialog's answer, when asked
    QTest::addColumn<bool>("goesOn");     // the window closes, or another project is asked for
    QTest::addColumn<bool>("saved");

    QTest::newRow("close, Cancel") << 0 << true << int(QMessageBox::Cancel) << "" << false << false;
    QTest::newRow("close, No") << 0 << true << int(QMessageBox::No) << "" << true << false;
    QTest::newRow("close, Yes saves into the project's file")
        << 0 << true << int(QMessageBox::Yes) << "" << true << true;
    QTest::newRow("close, Yes names a new project and saves it")
        << 0 << false << int(QMessageBox::Yes) << "saved.xml" << true << true;
    QTest::newRow("close, Yes but the name is not given")
        << 0 << false << int(QMessageBox::Yes) << "" << false << false;
    QTest::newRow("Load Project, Cancel") << int(vorel::cmd::kLoadProject) << true
                                          << int(QMessageBox::Cancel) << "" << false << false;
    QTest::newRow("Load Project, No")
        << int(vorel::cmd::kLoadProject) << true << int(QMessageBox::No) << "" << true << false;
    QTest::newRow("New Project, Cancel")
        << int(vorel::cmd::kNewProject) << true << int(QMessageBox::Cancel) << "" << false << false;
}

void TestUbrixVorelMap::unsavedChangesAreAskedAbout() {
    QFETCH(int, command);
    QFETCH(bool, ownFile);
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, goesOn);
    QFETCH(bool, saved);

    CMainFrame frame(m_harness->context(), false);
    frame.show();
    QCOMPARE(frame.windowTitle(), QString::fromLatin1(CMainFrame::kTitle));
    if (ownFile) {
        QVERIFY(m_harness->doc().copyTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));
    } else {
        m_harness->doc().newProject();
        QVERIFY(m_harness->doc().addTemplateModel(3, kProgramFolder));
    }
    QCOMPARE(frame.windowTitle(), QStringLiteral("Ubrix VOREL *"));
    const QByteArray before = CXmlFile::serialize(*m_harness->doc().templateDocument());

    CDialogService::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    const QString path = m_harness->fixture().path(saveAs);
    const bool named = answer == QMessageBox::Yes && !ownFile;
    if (named) {
        CDialogService::setNextFileName(saveAs.isEmpty() ? QString() : path);
    }
    if (command == vorel::cmd::kLoadProject && goesOn) {
        CDialogService::setNextFileName(QString());  // the open dialog, cancelled
    }
    if (command == 0) {
        QCOMPARE(frame.close(), goesOn);
    } else {
        frame.runCommand(command);
    }
    QCOMPARE(CDialogService::askedTexts().value(0),
             QString::fromLatin1(CMainFrame::kUnsavedProject));
    QCOMPARE(CDialogService::askedFileDialogs().size(),
             (named ? 1 : 0) + (command != 0 && goesOn ? 1 : 0));
    QCOMPARE(m_harness->doc().isTemplateModified(), !saved);
    const QString file = ownFile ? m_harness->fixture().path(QStringLiteral("project.xml")) : path;
    QByteArray written;
    pugi::xml_document read;
    QString reason;
    if (!file.endsWith(QLatin1Char('/')) && CXmlFile::load(file, read, reason)) {
        written = CXmlFile::serialize(read);
    }
    QCOMPARE(written == before, saved);
}

void TestUbrixVorelMap::uploadWaitsForAnUpload() {
    const auto without = openView(*m_harness);
    QVERIFY(!namedChild<QPushButton>(*without, "upload")->isEnabled());

    QList<int> started;
    const auto view = openView(*m_harness, true, [&started](int mode, QWidget* parent) {
        QVERIFY(parent != nullptr);
        started << mode;
    });
    QVERIFY(namedChild<QPushButton>(*view, "upload")->isEnabled());
    namedChild<QPushButton>(*view, "upload")->click();
    namedChild<QRadioButton>(*view, "ubrix")->click();
    namedChild<QPushButton>(*view, "upload")->click();
    QCOMPARE(started, (QList<int>{0, 1}));
}

void TestUbrixVorelMap::resizeRules() {
    const auto view = openView(*m_harness);
    view->resize(800, 600);
    const QRect tree = viewcontrols::tree(*view).geometry();
    QCOMPARE(tree.bottom() + 1, 600 - 17);
    const QRect before = tree;
    view->resize(900, 700);
    QCOMPARE(viewcontrols::tree(*view).geometry().topLeft(), before.topLeft());
    QCOMPARE(viewcontrols::tree(*view).width(), before.width());
    QCOMPARE(viewcontrols::tree(*view).geometry().bottom() + 1, 700 - 17);
}

QTEST_MAIN(TestUbrixVorelMap)
#include "TestUbrixVorelMap.moc"
