#include "CGuiHarness.h"
#include "core/settings/CSettings.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CFormView.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CLockKeyPanes.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CUbrixVorelTMap.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

namespace {

// A menu as "text=command" per item, "-" per separator and "text>" per submenu.
QStringList describe(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
        } else if (action->menu() != nullptr) {
            items.append(action->text() + QLatin1Char('>'));
        } else {
            items.append(action->text() + QLatin1Char('=') + action->data().toString());
        }
    }
    return items;
}

QMenu* topMenu(const CMainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

QMenu* subMenu(const QMenu* menu, const QString& title) {
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// Every command that a menu item carries, in menu order.
QList<int> menuCommands(const QMenu* menu) {
    QList<int> commands;
    for (const QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            commands.append(menuCommands(action->menu()));
        } else if (!action->isSeparator()) {
            commands.append(action->data().toInt());
        }
    }
    return commands;
}

QList<int> allMenuCommands(const CMainFrame& frame) {
    QList<int> commands;
    for (QAction* action : frame.menuBar()->actions()) {
        commands.append(menuCommands(action->menu()));
    }
    return commands;
}

// A view that carries out the LED preset upload, as the bus network view will.
class CUploadingView : public CFormView {
public:
    using CFormView::CFormView;
    bool handlesCommand(int command) const override {
        return command == vorel::cmd::kUploadCmsFile;
    }
    void OnCommand(int command) override { commands.append(command); }
    QList<int> commands;
};

}  // namespace

class TestMainFrameMenus : public QObject {
    Q_OBJECT

private slots:
    void init();

    void menuBarTitlesInOrder();
    void menuItemsInOrderWithSeparators_data();
    void menuItemsInOrderWithSeparators();
    void onlyTheStateCommandsCarryChecks();
    void checkMarksFollowTheState_data();
    void checkMarksFollowTheState();
    void enabledAndDisabledCommands_data();
    void enabledAndDisabledCommands();
    void checksAreUpdatedWhenAMenuOpens();
    void disabledCommandsDoNothing();
    void registeredViewEnablesItsCommand();
    void uploadCmsFileBelongsToTheViewThatHandlesIt();
    void hiddenCommandsAreOnTheWindowOnly();
    void titles_data();
    void titles();
    void windowHasNoMinimiseOrMaximiseBoxAndAMinimumSize();
    void statusBarHasItsFourPanes();
};

void TestMainFrameMenus::init() {
    CDialogService::enableTestHook();
}

void TestMainFrameMenus::menuBarTitlesInOrder() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) {
        titles.append(action->text());
    }
    QCOMPARE(titles, (QStringList{"File", "Edit", "Interface", "Logging", "View", "&Help"}));
}

void TestMainFrameMenus::menuItemsInOrderWithSeparators_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("submenu");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("File") << "File"
                          << ""
                          << QStringList{"Save Map File=32805",
                                         "Compare with Snapshot...=32841",
                                         "Site Report...=32842",
                                         "-",
                                         "New Project=57600",
                                         "Load Project=32818",
                                         "Save Project=32819",
                                         "Upload CMS File=32827",
                                         "Export traffic=32840",
                                         "-",
                                         "Exit=32812"};
    QTest::newRow("Edit") << "Edit"
                          << "" << QStringList{"Undo=57643", "Redo=57644"};
    QTest::newRow("Interface") << "Interface"
                               << ""
                               << QStringList{"UDP=32791", "TCP=32792", "USB=32828", "-",
                                              "Network=32777"};
    QTest::newRow("Logging") << "Logging"
                             << ""
                             << QStringList{"Start=32786", "Stop=32787", "-",
                                            "Log File name=32788"};
    // The last separator stands after "Show Sent", with nothing after it.
    QTest::newRow("View") << "View"
                          << ""
                          << QStringList{"Traffic=32771",
                                         "Project=32772",
                                         "Map=32813",
                                         "Ubrixs=32809",
                                         "Trace=32831",
                                         "Network=32823",
                                         "-",
                                         "Virtual Keypad>",
                                         "-",
                                         "Time Stamp=32807",
                                         "Show IP=32808",
                                         "Show Sent=32850",
                                         "-"};
    QTest::newRow("Virtual Keypad")
        << "View"
        << "Virtual Keypad"
        << QStringList{"Simple=32832", "Lighting=32833", "Motor=32834", "Sun=32835"};
    QTest::newRow("Help") << "&Help"
                          << "" << QStringList{"&About Ubrix Vorel...=57664"};
}

void TestMainFrameMenus::menuItemsInOrderWithSeparators() {
    QFETCH(QString, menu);
    QFETCH(QString, submenu);
    QFETCH(QStringList, items);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const QMenu* found = topMenu(frame, menu);
    QVERIFY(found != nullptr);
    if (!submenu.isEmpty()) {
        found = subMenu(found, submenu);
        QVERIFY(found != nullptr);
    }
    QCOMPARE(describe(found), items);
    for (const QAction* action : found->actions()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
            QCOMPARE(CGuiHarness::command(frame, action->data().toInt()), action);
        }
    }
}

void TestMainFrameMenus::onlyTheStateCommandsCarryChecks() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const QList<int> checkable{vorel::cmd::kInterfaceUdp, vorel::cmd::kInterfaceTcp,
                               vorel::cmd::kLoggingStart, vorel::cmd::kLoggingStop,
                               vorel::cmd::kTimeStamp,    vorel::cmd::kShowIp,
                               vorel::cmd::kShowSent,     vorel::cmd::kKeypadSun};
    for (const int command : allMenuCommands(frame)) {
        QCOMPARE(CGuiHarness::command(frame, command)->isCheckable(), checkable.contains(command));
    }
}

void TestMainFrameMenus::checkMarksFollowTheState_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("logging");
    QTest::addColumn<int>("showTime");
    QTest::addColumn<int>("showIp");

    QTest::newRow("UDP, logging, both shown") << 0 << true << 1 << 1;
    QTest::newRow("TCP, not logging, time only") << 1 << false << 1 << 0;
    QTest::newRow("USB, logging, sender only") << 2 << true << 0 << 1;
    QTest::newRow("UDP, neither shown") << 0 << false << 0 << 0;
}

void TestMainFrameMenus::checkMarksFollowTheState() {
    QFETCH(int, mode);
    QFETCH(bool, logging);
    QFETCH(int, showTime);
    QFETCH(int, showIp);

    CGuiHarness harness(logging);
    harness.transport().setMode(mode);
    harness.settings().showTime = showTime;
    harness.settings().showIp = showIp;
    CMainFrame frame(harness.context(), false);
    frame.updateCommandUi();

    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kInterfaceUdp)->isChecked(), mode == 0);
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kInterfaceTcp)->isChecked(), mode == 1);
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kInterfaceUsb)->isChecked());
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kLoggingStart)->isChecked(), logging);
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->isChecked(), !logging);
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->isChecked(), showTime != 0);
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kShowIp)->isChecked(), showIp != 0);
}

void TestMainFrameMenus::enabledAndDisabledCommands_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("Save Map File") << 32805 << true;
    QTest::newRow("New Project") << 57600 << true;
    QTest::newRow("Compare with Snapshot") << 32841 << true;
    QTest::newRow("Site Report") << 32842 << true;
    QTest::newRow("Load Project") << 32818 << true;
    QTest::newRow("Undo: nothing to undo") << 57643 << false;
    QTest::newRow("Redo: nothing to redo") << 57644 << false;
    QTest::newRow("Save Project") << 32819 << true;
    QTest::newRow("Upload CMS File, traffic view shown") << 32827 << false;
    QTest::newRow("Export traffic, traffic view shown") << 32840 << true;
    QTest::newRow("Exit") << 32812 << true;
    QTest::newRow("UDP") << 32791 << true;
    QTest::newRow("TCP: never from the menu") << 32792 << false;
    QTest::newRow("USB: never from the menu") << 32828 << false;
    QTest::newRow("Network Setup") << 32777 << true;
    QTest::newRow("Logging Start") << 32786 << true;
    QTest::newRow("Logging Stop") << 32787 << true;
    QTest::newRow("Log File name") << 32788 << true;
    QTest::newRow("View Traffic") << 32771 << true;
    QTest::newRow("View Trace: no action") << 32831 << false;
    QTest::newRow("View Network") << 32823 << true;
    QTest::newRow("View Ubrixs") << 32809 << true;
    QTest::newRow("View Project") << 32772 << true;
    QTest::newRow("Keypad Sun: the sun dialog's toggle") << 32835 << true;
    QTest::newRow("Time Stamp") << 32807 << true;
    QTest::newRow("Show IP") << 32808 << true;
    QTest::newRow("Show Sent") << 32850 << true;
    QTest::newRow("About") << 57664 << true;
    QTest::newRow("Load Map") << 32821 << true;
    QTest::newRow("View Map") << 32813 << true;
    QTest::newRow("Keypad Simple") << 32832 << true;
    QTest::newRow("Keypad Lighting") << 32833 << true;
    QTest::newRow("Keypad Motor") << 32834 << true;
    QTest::newRow("Sun dialog") << 32826 << true;
}

void TestMainFrameMenus::enabledAndDisabledCommands() {
    QFETCH(int, command);
    QFETCH(bool, enabled);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.updateCommandUi();
    QAction* action = CGuiHarness::command(frame, command);
    QVERIFY(action != nullptr);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(frame.isCommandEnabled(command), enabled);
}

void TestMainFrameMenus::checksAreUpdatedWhenAMenuOpens() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->isChecked());

    harness.settings().showTime = 0;
    harness.doc().startLogging();
    emit topMenu(frame, QStringLiteral("View"))->aboutToShow();
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->isChecked());
    emit topMenu(frame, QStringLiteral("Logging"))->aboutToShow();
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kLoggingStart)->isChecked());
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->isChecked());
}

void TestMainFrameMenus::disabledCommandsDoNothing() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.runCommand(vorel::cmd::kInterfaceTcp);
    QCOMPARE(harness.transport().mode(), CTransport::kModeUdp);
    CGuiHarness::command(frame, vorel::cmd::kInterfaceUsb)->trigger();
    QCOMPARE(harness.transport().mode(), CTransport::kModeUdp);
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kInterfaceUdp)->isChecked());
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kInterfaceTcp)->isChecked());
}

void TestMainFrameMenus::registeredViewEnablesItsCommand() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    // The frame registers the bus view for View > Map; a view registered later replaces it.
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kViewMap)->isEnabled());
    CGuiHarness::command(frame, vorel::cmd::kViewMap)->trigger();
    QVERIFY(qobject_cast<CUbrixVorelTMap*>(frame.activeView()) != nullptr);

    frame.registerView(vorel::cmd::kViewMap,
                       [](const CViewContext&, QWidget* parent) { return new CFormView(parent); });

    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kViewMap)->isEnabled());
    CGuiHarness::command(frame, vorel::cmd::kViewMap)->trigger();
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewMap));
    QVERIFY(qobject_cast<CUbrixVorelTMap*>(frame.activeView()) == nullptr);
}

void TestMainFrameMenus::uploadCmsFileBelongsToTheViewThatHandlesIt() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.registerView(vorel::cmd::kViewMap, [](const CViewContext&, QWidget* parent) {
        return new CUploadingView(parent);
    });
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kUploadCmsFile)->isEnabled());

    frame.runCommand(vorel::cmd::kViewMap);
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kUploadCmsFile)->isEnabled());
    CGuiHarness::command(frame, vorel::cmd::kUploadCmsFile)->trigger();
    auto* view = qobject_cast<CFormView*>(frame.activeView());
    QCOMPARE(static_cast<CUploadingView*>(view)->commands, QList<int>{vorel::cmd::kUploadCmsFile});

    frame.runCommand(vorel::cmd::kViewTraffic);
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kUploadCmsFile)->isEnabled());
}

void TestMainFrameMenus::hiddenCommandsAreOnTheWindowOnly() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const QList<int> inMenus = allMenuCommands(frame);
    for (const int hidden : {vorel::cmd::kLoadMap, vorel::cmd::kToggleSun}) {
        QVERIFY(!inMenus.contains(hidden));
        QVERIFY(frame.actions().contains(CGuiHarness::command(frame, hidden)));
    }
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kLoadMap)->shortcut().isEmpty());
    QCOMPARE(CGuiHarness::command(frame, vorel::cmd::kToggleSun)->shortcut(),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kToggleSun)->isCheckable());
}

void TestMainFrameMenus::titles_data() {
    QTest::addColumn<bool>("newer");
    QTest::addColumn<QString>("title");

    QTest::newRow("usual, with its trailing blank") << false << "Ubrix VOREL ";
    QTest::newRow("newer release") << true << "Ubrix VOREL - A newer release is available";
}

void TestMainFrameMenus::titles() {
    QFETCH(bool, newer);
    QFETCH(QString, title);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), newer);
    QCOMPARE(frame.windowTitle(), title);
    // The document's name is never added.
    harness.doc().notifyViews(CUbrixVorelDoc::kHintRestructured);
    QCOMPARE(frame.windowTitle(), title);
}

void TestMainFrameMenus::windowHasNoMinimiseOrMaximiseBoxAndAMinimumSize() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const Qt::WindowFlags flags = frame.windowFlags();
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QCOMPARE(frame.minimumSize(), QSize(672, 488));

    frame.show();
    frame.resize(300, 200);
    QVERIFY(frame.width() >= 672);
    QVERIFY(frame.height() >= 488);
}

void TestMainFrameMenus::statusBarHasItsFourPanes() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(namedChild<QLabel>(frame, "messagePane")->text(), QStringLiteral("Ready"));
    CLockKeyPanes* locks = namedChild<CLockKeyPanes>(frame, "lockKeys");
    const QList<QLabel*> panes = frame.statusBar()->findChildren<QLabel*>();
    QVERIFY(panes.contains(namedChild<QLabel>(frame, "messagePane")));
    QVERIFY(panes.contains(namedChild<QLabel>(frame, "caps")));
    QVERIFY(panes.contains(namedChild<QLabel>(frame, "num")));
    QVERIFY(panes.contains(namedChild<QLabel>(frame, "scroll")));

    locks->setStates(true, false, true);
    QCOMPARE(namedChild<QLabel>(frame, "caps")->text(), QStringLiteral("CAP"));
    QCOMPARE(namedChild<QLabel>(frame, "num")->text(), QString());
    QCOMPARE(namedChild<QLabel>(frame, "scroll")->text(), QStringLiteral("SCRL"));

    // Scroll Lock is followed by its key: one press, one toggle.
    QTest::keyClick(frame.windowHandle(), Qt::Key_ScrollLock);
    QCOMPARE(namedChild<QLabel>(frame, "scroll")->text(), QString());
    QTest::keyClick(frame.windowHandle(), Qt::Key_ScrollLock);
    QCOMPARE(namedChild<QLabel>(frame, "scroll")->text(), QStringLiteral("SCRL"));
}

QTEST_MAIN(TestMainFrameMenus)
#include "TestMainFrameMenus.moc"
