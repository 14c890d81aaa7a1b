#include "CGuiHarness.h"

#include "app/CDialogService.h"
#include "app/CModalRunner.h"
#include "plan/CErrorLog.h"
#include "views/CTemplateAdd.h"
#include "views/CUbrixVorelMap.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>
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
QStringList treeText(const QTreeWidget* tree) {
    QStringList lines;
    std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item,
                                                                int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i) {
            walk(item->child(i), depth + 1);
        }
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        walk(tree->topLevelItem(i), 0);
    }
    return lines;
}

QTreeWidgetItem* findItem(const QTreeWidget* tree, const QString& label) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

QLineEdit* labelEditor(const QTreeWidget* tree) {
    return tree->viewport()->findChild<QLineEdit*>();
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
    void uploadWaitsForAnUpload();
    void resizeRules();

private:
    CGuiHarness* m_harness = nullptr;
};

void TestUbrixVorelMap::init() {
    m_harness = new CGuiHarness;
    CDialogService::enableTestHook();
    writeProject(m_harness->fixture().path(QStringLiteral("project.xml")),
                 R"(<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><NETWORK><DHCP>ENABLE</DHCP></NETWORK>)"
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
    QCOMPARE(treeText(view->tree()),
             (QStringList{"KV network", "  5 ", "    PORT (A)", "      LED", "  6 "}));
    QVERIFY(m_harness->doc().copyTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));
    view->OnUpdate(hint);
    QCOMPARE(findItem(view->tree(), QStringLiteral("7 ")) != nullptr, copyShown);
    QVERIFY(findItem(view->tree(), QStringLiteral("5 ")) != nullptr);
}

void TestUbrixVorelMap::announcedDeviceIsSelected() {
    const auto view = openView(*m_harness);
    view->OnUpdate((6u << 16) + 1);
    QCOMPARE(view->tree()->currentItem()->text(0), QStringLiteral("6 "));
    view->OnUpdate((9u << 16) + 1);
    QCOMPARE(view->tree()->currentItem()->text(0), QStringLiteral("6 "));
}

void TestUbrixVorelMap::modesShowDevicesOrGateways() {
    const auto view = openView(*m_harness);
    QVERIFY(view->devicesButton()->isChecked());
    view->ubrixButton()->click();
    QCOMPARE(m_harness->doc().mapMode(), 1);
    QCOMPARE(treeText(view->tree()), (QStringList{"LAN network", "  0.0.0.1", "    NETWORK"}));
    view->devicesButton()->click();
    QCOMPARE(m_harness->doc().mapMode(), 0);
    QCOMPARE(view->tree()->topLevelItem(0)->text(0), QStringLiteral("KV network"));
    QCOMPARE(view->fileNameField()->text(), QStringLiteral("project.xml"));
}

void TestUbrixVorelMap::renameKeys_data() {
    QTest::addColumn<QString>("label");  // the item renamed, from below its device
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("devices");  // the root's children afterwards

    const QList<int> none;
    QTest::newRow("Enter commits")
        << "LED" << QList<int>{Qt::Key_Return} << "40" << QStringList{"40 ", "6 "};
    QTest::newRow("Escape cancels")
        << "5 " << QList<int>{Qt::Key_Escape} << "40" << QStringList{"5 ", "6 "};
    QTest::newRow("Delete edits the text, never the project")
        << "5 " << QList<int>{Qt::Key_Home, Qt::Key_Delete, Qt::Key_Return} << "45"
        << QStringList{"5 ", "6 "};
    QTest::newRow("a device without a type")
        << "6 " << QList<int>{Qt::Key_Return} << "60" << QStringList{"5 ", "60 "};
    QTest::newRow("12x changes nothing")
        << "5 " << QList<int>{Qt::Key_Return} << "12x" << QStringList{"5 ", "6 "};
}

void TestUbrixVorelMap::renameKeys() {
    QFETCH(QString, label);
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);
    QFETCH(QStringList, devices);

    const auto view = openView(*m_harness);
    view->OnNMClickTree1(findItem(view->tree(), label));
    view->OnMapChangeAddress();
    QLineEdit* editor = labelEditor(view->tree());
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(),
             label.startsWith(QLatin1Char('6')) ? QStringLiteral("6") : QStringLiteral("5"));
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    for (const int key : keys) {
        QTest::keyClick(editor, static_cast<Qt::Key>(key));
    }
    QTRY_VERIFY(labelEditor(view->tree()) == nullptr || !labelEditor(view->tree())->isVisible());
    QCoreApplication::processEvents();
    QStringList shown;
    for (int i = 0; i < view->tree()->topLevelItem(0)->childCount(); ++i) {
        shown << view->tree()->topLevelItem(0)->child(i)->text(0);
    }
    QCOMPARE(shown, devices);
    QCOMPARE(m_harness->doc().isTemplateModified(), devices != QStringList({"5 ", "6 "}));
}

void TestUbrixVorelMap::deviceGoneBehindTheTreeIsLogged() {
    const auto view = openView(*m_harness, false);
    QVERIFY(m_harness->doc().deleteTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));
    view->OnNMClickTree1(findItem(view->tree(), QStringLiteral("LED")));
    view->copyButton()->click();
    view->deleteButton()->click();
    QCOMPARE(m_harness->fixture().errorLogText().count("Error in CUbrixVorelMap::"
                                                       "OnBnClickedButtonDelete()"),
             2);
}

void TestUbrixVorelMap::uploadWaitsForAnUpload() {
    const auto without = openView(*m_harness);
    QVERIFY(!without->uploadButton()->isEnabled());

    QList<int> started;
    const auto view = openView(*m_harness, true, [&started](int mode, QWidget* parent) {
        QVERIFY(parent != nullptr);
        started << mode;
    });
    QVERIFY(view->uploadButton()->isEnabled());
    view->uploadButton()->click();
    view->ubrixButton()->click();
    view->uploadButton()->click();
    QCOMPARE(started, (QList<int>{0, 1}));
}

void TestUbrixVorelMap::resizeRules() {
    const auto view = openView(*m_harness);
    view->resize(800, 600);
    const QRect tree = view->tree()->geometry();
    QCOMPARE(tree.bottom() + 1, 600 - 17);
    const QRect before = tree;
    view->resize(900, 700);
    QCOMPARE(view->tree()->geometry().topLeft(), before.topLeft());
    QCOMPARE(view->tree()->width(), before.width());
    QCOMPARE(view->tree()->geometry().bottom() + 1, 700 - 17);
}

QTEST_MAIN(TestUbrixVorelMap)
#include "TestUbrixVorelMap.moc"
