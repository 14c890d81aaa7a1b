#include "CGuiHarness.h"
#include "core/bus/CBusCollection.h"
#include "core/bus/CPresetFile.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CConfigTree.h"
#include "gui/views/CUbrixVorelTMap.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <memory>

using namespace std::chrono_literals;

namespace {

// The demonstration site's numbering: device d of gateway g has serial 100001 + 1000 g + d;
// the last of each bus has no UID yet.
constexpr quint32 kUnaddressed = 100004;

QStringList childLabels(const CBusTreeItem* item) {
    QStringList labels;
    for (int row = 0; item != nullptr && row < item->childCount(); ++row) {
        labels << item->child(row)->label;
    }
    return labels;
}

const CBusTreeItem* child(const CBusTreeItem* parent, const QString& label) {
    for (int row = 0; parent != nullptr && row < parent->childCount(); ++row) {
        if (parent->child(row)->label == label) {
            return parent->child(row);
        }
    }
    return nullptr;
}

}  // namespace

// The bus view against the simulated site, through the frame's View > Map: discover two
// gateways, register their buses, give a device its UID by its serial number, make it
// identify itself, collect, edit an alias, upload LED presets, delete a device.
class TestBusViewOnSite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { CDialogService::enableTestHook(); }
    void cleanup() { CDialogService::disableTestHook(); }
    void commissionTheBuses();

private:
    const CBusTreeItem* root() const { return m_view->model().root(); }
    const CBusTreeItem* gateway(int number) const {
        return child(root(), QStringLiteral("Ubrix %1").arg(number));
    }
    CSimBusDevice* simulated(int gateway, quint32 serial) const {
        return m_site->withSite(
            [&](CSimSite& site) { return site.gateways()[gateway].deviceBySerial(serial); });
    }
    // The view's controls, by the names the view gives them.
    CConfigTree& tree() const { return *namedChild<CConfigTree>(*m_view, "tree"); }
    QPushButton* button(const char* name) const { return namedChild<QPushButton>(*m_view, name); }
    QLineEdit* uidField() const { return namedChild<QLineEdit>(*m_view, "uid"); }
    CPropertyList& properties() const { return *namedChild<CPropertyList>(*m_view, "properties"); }
    void select(const CBusTreeItem* item) {
        tree().setCurrentIndex(item != nullptr ? tree().toShown(m_view->model().indexOf(item))
                                               : QModelIndex());
    }
    void clickOn(const CBusTreeItem* item) {
        QVERIFY(item != nullptr);
        m_view->OnNMClickTree3(tree().toShown(m_view->model().indexOf(item)));
    }

    CUbrixVorelTMap* m_view = nullptr;
    CSimNetwork* m_site = nullptr;
};

// The test's sockets bind the program's fixed ports: a namespace of its own keeps them from
// meeting those of the test programs running beside it.
void TestBusViewOnSite::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestBusViewOnSite::commissionTheBuses() {
    CGuiHarness harness;
    QString error;
    const std::unique_ptr<CSimNetwork> site = CSimNetwork::startDemo(
        2, 4, testsupport::runtimePath(QString()), error, CSimNetwork::Options(), 1);
    QVERIFY2(site != nullptr, qPrintable(error));
    m_site = site.get();
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    frame.runCommand(vorel::cmd::kViewMap);
    m_view = qobject_cast<CUbrixVorelTMap*>(frame.activeView());
    QVERIFY(m_view != nullptr);
    QCOMPARE(root()->label, QStringLiteral("KV network"));

    // 1. "Ubrixs": both gateways, by name, after the probe's pause.
    QTest::mouseClick(button("ubrixs"), Qt::LeftButton);
    harness.timers().advance(1000ms);
    QTRY_COMPARE(childLabels(root()), (QStringList{"Ubrix 1", "Ubrix 2"}));

    // 2. "Devices" with nothing selected registers every bus.
    select(nullptr);
    QTest::mouseClick(button("devices"), Qt::LeftButton);
    QTRY_COMPARE(childLabels(gateway(1)),
                 (QStringList{"UID 1 ", "UID 2 ", "UID 3 ", "SN 100004 "}));
    QTRY_COMPARE(childLabels(gateway(2)),
                 (QStringList{"UID 5 ", "UID 6 ", "UID 7 ", "SN 101004 "}));

    // 3. The unaddressed device of bus 1 takes UID 50 by its serial number.
    select(child(gateway(1), QStringLiteral("SN 100004 ")));
    uidField()->setText(QStringLiteral("50"));
    QTest::mouseClick(button("set"), Qt::LeftButton);
    // The field proposes the lowest UID no device of that bus has.
    QCOMPARE(uidField()->text(), QStringLiteral("4"));
    QTRY_COMPARE(site->withSite([](CSimSite& s) {
        return s.gateways()[0].deviceBySerial(kUnaddressed)->uid().value_or(0);
    }),
                 50u);
    // It answered under its new UID: it is the selection again, asked for its settings,
    // which its list shows (and its alias names it).
    QTRY_COMPARE(childLabels(gateway(1)), (QStringList{"UID 1 ", "UID 2 ", "UID 3 ", "DEV100004"}));
    QCOMPARE(tree().currentIndex().data().toString(), QStringLiteral("DEV100004"));
    QTRY_COMPARE(properties().valueHeader(), QStringLiteral("UID: 50"));
    QVERIFY(properties().rowCount() > 0);

    // 4. It identifies itself, and so does gateway 2.
    select(child(gateway(1), QStringLiteral("DEV100004")));
    m_view->OnCommand(vorel::cmd::kTmapIdentify);
    select(gateway(2));
    m_view->OnCommand(vorel::cmd::kTmapIdentify);
    QTRY_COMPARE(site->withSite([](CSimSite& s) {
        return s.gateways()[0].deviceBySerial(kUnaddressed)->identifyCount() * 10 +
               s.gateways()[1].identifyCount();
    }),
                 11);

    // 5. "Collect", paced by replies: every device with a UID typed, named and with its
    // sections; the one still without is not asked by its serial number.
    QTest::mouseClick(button("collect"), Qt::LeftButton);
    QVERIFY(!button("collect")->isEnabled());
    while (harness.sequencer().run(QString::fromLatin1(CBusCollection::kRunName)) != nullptr) {
        QTest::qWait(5);
        harness.timers().advance(20ms);
    }
    QTRY_COMPARE(childLabels(gateway(1)),
                 (QStringList{"DEV100001", "DEV100002", "DEV100003", "DEV100004"}));
    QTRY_COMPARE(childLabels(gateway(2)),
                 (QStringList{"DEV101001", "DEV101002", "DEV101003", "SN 101004 "}));
    const CBusTreeItem* lamp = child(gateway(1), QStringLiteral("DEV100001"));
    QVERIFY(lamp->kind != 2);
    QVERIFY(child(child(lamp, QStringLiteral("PORT (A)")), QStringLiteral("LED")) != nullptr);
    QVERIFY(namedChild<QProgressBar>(*m_view, "progress")->isHidden());
    QCOMPARE(harness.state().status.text(),
             QStringLiteral("Collect: done, every report is complete."));

    // 6. A new alias, typed in lower case, reaches the device in upper case.
    clickOn(lamp);
    CPropertyList* list = &properties();
    int alias = -1;
    for (int row = 0; row < list->rowCount(); ++row) {
        alias = list->cellText(row, 0) == QStringLiteral("ALIAS") ? row : alias;
    }
    QVERIFY(alias >= 0);
    list->edit(list->model()->index(alias, CPropertyList::kValueColumn));
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("desk"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(simulated(0, 100001)->settings().value(*CSettingAddress::parseWellFormed("ALIAS")),
                 QByteArray("DESK"));
    QTRY_VERIFY(child(gateway(1), QStringLiteral("DESK")) != nullptr);

    // 7. Presets from a file written on Windows, to the LED of port A.
    const QString presets = harness.fixture().path(QStringLiteral("lamp.cms"));
    QFile file(presets);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("255,128,0\r\n0,0,255\r\n10,20,30\r\n");
    file.close();
    select(child(child(child(gateway(1), QStringLiteral("DESK")), QStringLiteral("PORT (A)")),
                 QStringLiteral("LED")));
    CDialogService::setNextFileName(presets);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    frame.runCommand(vorel::cmd::kUploadCmsFile);
    for (int pause = 0; pause < 3; ++pause) {
        QTest::qWait(20);
        harness.timers().advance(50ms);
    }
    QTRY_COMPARE(CDialogService::askedTexts(),
                 QStringList{QString::fromLatin1(CPresetFile::kComplete)});
    QVERIFY2(harness.state().status.text().startsWith("Upload CMS File: 3 preset(s) sent to "),
             qPrintable(harness.state().status.text()));
    QTRY_COMPARE(
        simulated(0, 100001)->settings().value(*CSettingAddress::parseWellFormed("LED.PRESET.102")),
        QByteArray("10.20.30"));
    QCOMPARE(
        simulated(0, 100001)->settings().value(*CSettingAddress::parseWellFormed("LED.PRESET.100")),
        QByteArray("255.128.0"));
    // The echoes bring the device's own LED section into the tree.
    QTRY_VERIFY(child(child(gateway(1), QStringLiteral("DESK")), QStringLiteral("LED")) != nullptr);

    // 8. Delete says nothing to the site.
    const quint64 received = site->counters().site.received;
    select(child(gateway(2), QStringLiteral("DEV101002")));
    m_view->OnCommand(vorel::cmd::kTmapDelete);
    QCOMPARE(childLabels(gateway(2)), (QStringList{"DEV101001", "DEV101003", "SN 101004 "}));
    QTest::qWait(100);
    QCOMPARE(site->counters().site.received, received);

    QVERIFY(harness.fixture().notifier().messages().isEmpty());
    QCOMPARE(harness.fixture().errorLogText(), QByteArray());
    harness.transport().StopReceiver();
}

QTEST_MAIN(TestBusViewOnSite)
#include "TestBusViewOnSite.moc"
