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
#include <tuple>

namespace {

// A menu as the user reads it: its items' texts, "-" per separator and "text>" per submenu.
QStringList describe(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
        } else {
            items.append(action->text() +
                         (action->menu() != nullptr ? QStringLiteral(">") : QString()));
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

QAction* itemOf(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

QMenu* subMenu(const QMenu* menu, const QString& title) {
    QAction* item = itemOf(menu, title);
    return item != nullptr ? item->menu() : nullptr;
}

// The item at a path of texts from the menu bar down: "View/Virtual Keypad/Sun".
QAction* menuItem(const CMainFrame& frame, const QString& path) {
    QStringList texts = path.split(QLatin1Char('/'));
    const QMenu* menu = topMenu(frame, texts.takeFirst());
    while (menu != nullptr && texts.size() > 1) {
        menu = subMenu(menu, texts.takeFirst());
    }
    return menu != nullptr ? itemOf(menu, texts.front()) : nullptr;
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
    void menuItemCommands_data();
    void menuItemCommands();
    void onlyTheStateCommandsCarryChecks();
    void checkMarksFollowTheState_data();
    void checkMarksFollowTheState();
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
                          << "" << QStringList{"Save Map File",
                                               "Compare with Snapshot...",
                                               "Site Report...",
                                               "-",
                                               "New Project",
                                               "Load Project",
                                               "Save Project",
                                               "Upload CMS File",
                                               "Export traffic",
                                               "-",
                                               "Exit"};
    QTest::newRow("Edit") << "Edit"
                          << "" << QStringList{"Undo", "Redo"};
    QTest::newRow("Interface") << "Interface"
                               << "" << QStringList{"UDP", "TCP", "USB", "-", "Network"};
    QTest::newRow("Logging") << "Logging"
                             << "" << QStringList{"Start", "Stop", "-", "Log File name"};
    // The last separator stands after "Show Sent", with nothing after it.
    QTest::newRow("View") << "View"
                          << ""
                          << QStringList{"Traffic", "Project",    "Map",     "Ubrixs",
                                         "Trace",   "Network",    "-",       "Virtual Keypad>",
                                         "-",       "Time Stamp", "Show IP", "Show Sent",
                                         "-"};
    QTest::newRow("Virtual Keypad")
        << "View"
        << "Virtual Keypad" << QStringList{"Simple", "Lighting", "Motor", "Sun"};
    QTest::newRow("Help") << "&Help"
                          << "" << QStringList{"&About Ubrix Vorel..."};
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
    // Each item is the window's action of its command, so that its shortcut, check mark and
    // state are the same wherever the command is reached.
    for (const QAction* action : found->actions()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
            QCOMPARE(CGuiHarness::command(frame, action->data().toInt()), action);
        }
    }
}

// What each item of the menus does, and whether it can be chosen in a new window, which
// shows the traffic view.
void TestMainFrameMenus::menuItemCommands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("enabled");

    using namespace vorel::cmd;
    const QList<std::tuple<const char*, int, bool>> items{
        {"File/Save Map File", kSaveMapFile, true},
        {"File/Compare with Snapshot...", kCompareSnapshot, true},
        {"File/Site Report...", kSiteReport, true},
        {"File/New Project", kNewProject, true},
        {"File/Load Project", kLoadProject, true},
        {"File/Save Project", kSaveProject, true},
        {"File/Upload CMS File", kUploadCmsFile, false},  // only the bus view does it
        {"File/Export traffic", kExportTraffic, true},
        {"File/Exit", kExit, true},
        {"Edit/Undo", kEditUndo, false},  // nothing to undo
        {"Edit/Redo", kEditRedo, false},
        {"Interface/UDP", kInterfaceUdp, true},
        {"Interface/TCP", kInterfaceTcp, false},  // never from the menu
        {"Interface/USB", kInterfaceUsb, false},
        {"Interface/Network", kInterfaceNetwork, true},
        {"Logging/Start", kLoggingStart, true},
        {"Logging/Stop", kLoggingStop, true},
        {"Logging/Log File name", kLogFileName, true},
        {"View/Traffic", kViewTraffic, true},
        {"View/Project", kViewProject, true},
        {"View/Map", kViewMap, true},
        {"View/Ubrixs", kViewUbrixs, true},
        {"View/Trace", kViewTrace, false},  // no action
        {"View/Network", kViewNetwork, true},
        {"View/Virtual Keypad/Simple", kKeypadSimple, true},
        {"View/Virtual Keypad/Lighting", kKeypadLighting, true},
        {"View/Virtual Keypad/Motor", kKeypadMotor, true},
        {"View/Virtual Keypad/Sun", kKeypadSun, true},
        {"View/Time Stamp", kTimeStamp, true},
        {"View/Show IP", kShowIp, true},
        {"View/Show Sent", kShowSent, true},
        {"&Help/&About Ubrix Vorel...", kAbout, true},
    };
    for (const auto& [item, command, enabled] : items) {
        QTest::newRow(item) << QString::fromLatin1(item) << command << enabled;
    }
}

void TestMainFrameMenus::menuItemCommands() {
    QFETCH(QString, item);
    QFETCH(int, command);
    QFETCH(bool, enabled);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.updateCommandUi();
    QAction* action = menuItem(frame, item);
    QVERIFY(action != nullptr);
    QCOMPARE(action, CGuiHarness::command(frame, command));
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(frame.isCommandEnabled(command), enabled);
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
    frame.updateCommandUi();
    for (const int hidden : {vorel::cmd::kLoadMap, vorel::cmd::kToggleSun}) {
        QVERIFY(!inMenus.contains(hidden));
        QVERIFY(frame.actions().contains(CGuiHarness::command(frame, hidden)));
        QVERIFY(CGuiHarness::command(frame, hidden)->isEnabled());
        QVERIFY(frame.isCommandEnabled(hidden));
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
