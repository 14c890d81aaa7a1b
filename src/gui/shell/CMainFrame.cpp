#include "gui/shell/CMainFrame.h"

#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/protocol/CTrafficLine.h"
#include "core/settings/CDataFolder.h"
#include "core/settings/CSettings.h"
#include "core/transport/CTransport.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CFormView.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CProgramIcon.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/base/IFrameChild.h"
#include "gui/base/WindowMessages.h"
#include "gui/shell/CAboutDlg.h"
#include "gui/shell/CKeypadLauncher.h"
#include "gui/shell/CLockKeyPanes.h"
#include "gui/shell/CNetworkConfig.h"
#include "gui/site/CSiteReportDlg.h"
#include "gui/site/CSnapshotCompareDlg.h"
#include "gui/upload/CUploadLauncher.h"
#include "gui/views/CUbrixVorelMap.h"
#include "gui/views/CUbrixVorelNet.h"
#include "gui/views/CUbrixVorelTMap.h"
#include "gui/views/CUbrixVorelUbrix.h"
#include "gui/views/CUbrixVorelView.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHostInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

using namespace vorel;

namespace {

// The keypad commands and the tool windows they open.
int childOfCommand(int command) {
    switch (command) {
        case cmd::kKeypadSimple:
            return umw::kBasicKeypad;
        case cmd::kKeypadLighting:
            return umw::kLedKeypad;
        case cmd::kKeypadMotor:
            return umw::kMotorKeypad;
        case cmd::kToggleSun:
        case cmd::kKeypadSun:
            return umw::kSunDialog;
        default:
            return 0;
    }
}

bool isViewCommand(int command) {
    switch (command) {
        case cmd::kViewTraffic:
        case cmd::kViewProject:
        case cmd::kViewMap:
        case cmd::kViewUbrixs:
        case cmd::kViewNetwork:
            return true;
        default:
            return false;
    }
}

bool isLedKeypadStatus(const QByteArray& text) {
    return !text.contains("UID") && (text.contains("LED.COLOR=") || text.contains("LED.VALUE=") ||
                                     text.contains("LED.STATUS="));
}

bool isMotorKeypadStatus(const QByteArray& text) {
    return !text.contains("UID") && text.contains("MOTOR.POSITION=");
}

}  // namespace

CMainFrame::CMainFrame(const CViewContext& context, bool newerReleaseAnnounced, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_replyDrain(context.doc) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_title = QString::fromLatin1(newerReleaseAnnounced ? kTitleNewerRelease : kTitle);
    setWindowTitle(m_title);
    setWindowIcon(CProgramIcon::icon());
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    CDialogService::setDialogParent(this);

    buildMenus();
    buildHiddenCommands();
    buildStatusBar();
    connectTransport();

    registerView(cmd::kViewTraffic, [](const CViewContext& viewContext, QWidget* viewParent) {
        return new CUbrixVorelView(viewContext, viewParent);
    });
    registerView(cmd::kViewNetwork, [](const CViewContext& viewContext, QWidget* viewParent) {
        return CUbrixVorelNet::create(viewContext.transport, viewParent);
    });
    registerView(cmd::kViewUbrixs, [](const CViewContext& viewContext, QWidget* viewParent) {
        return new CUbrixVorelUbrix(viewContext, viewParent);
    });
    registerView(cmd::kViewProject, [](const CViewContext& viewContext, QWidget* viewParent) {
        // "UpLoad" previews and uploads the half of the project the view shows.
        return new CUbrixVorelMap(
            viewContext,
            [uploadContext = viewContext](int mapMode, QWidget* dialogParent) {
                CUploadLauncher::open(uploadContext, mapMode, dialogParent);
            },
            viewParent);
    });
    registerView(cmd::kViewMap, [](const CViewContext& viewContext, QWidget* viewParent) {
        return new CUbrixVorelTMap(viewContext, viewParent);
    });
    connect(&m_context.doc, &CUbrixVorelDoc::templateChanged, this, &CMainFrame::updateTitle);
    // Ctrl+Z works without the menu being opened: the commands follow the history at once.
    connect(&m_context.doc, &CUbrixVorelDoc::templateChanged, this, &CMainFrame::updateCommandUi);
    CKeypadLauncher::registerWith(*this);
    switchView(cmd::kViewTraffic);
}

CMainFrame::~CMainFrame() {
    destroyChild(umw::kLedKeypad);
    destroyChild(umw::kTraceWindow);
}

void CMainFrame::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    addCommand(file, "Save Map File", cmd::kSaveMapFile);
    addCommand(file, "Compare with Snapshot...", cmd::kCompareSnapshot);
    addCommand(file, "Site Report...", cmd::kSiteReport);
    file->addSeparator();
    addCommand(file, "New Project", cmd::kNewProject);
    addCommand(file, "Load Project", cmd::kLoadProject);
    addCommand(file, "Save Project", cmd::kSaveProject);
    addCommand(file, "Upload CMS File", cmd::kUploadCmsFile);
    addCommand(file, "Export traffic", cmd::kExportTraffic);
    file->addSeparator();
    addCommand(file, "Exit", cmd::kExit);

    // The project's edits; a text box with the focus keeps Ctrl+Z for its own text.
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    addCommand(edit, "Undo", cmd::kEditUndo)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    addCommand(edit, "Redo", cmd::kEditRedo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    QMenu* transport = menuBar()->addMenu(QStringLiteral("Interface"));
    addCommand(transport, "UDP", cmd::kInterfaceUdp, true);
    addCommand(transport, "TCP", cmd::kInterfaceTcp, true);
    addCommand(transport, "USB", cmd::kInterfaceUsb);
    transport->addSeparator();
    addCommand(transport, "Network", cmd::kInterfaceNetwork);

    QMenu* logging = menuBar()->addMenu(QStringLiteral("Logging"));
    addCommand(logging, "Start", cmd::kLoggingStart, true);
    addCommand(logging, "Stop", cmd::kLoggingStop, true);
    logging->addSeparator();
    addCommand(logging, "Log File name", cmd::kLogFileName);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    addCommand(view, "Traffic", cmd::kViewTraffic);
    addCommand(view, "Project", cmd::kViewProject);
    addCommand(view, "Map", cmd::kViewMap);
    addCommand(view, "Ubrixs", cmd::kViewUbrixs);
    addCommand(view, "Trace", cmd::kViewTrace);
    addCommand(view, "Network", cmd::kViewNetwork);
    view->addSeparator();
    QMenu* keypads = view->addMenu(QStringLiteral("Virtual Keypad"));
    m_menus.append(keypads);
    addCommand(keypads, "Simple", cmd::kKeypadSimple);
    addCommand(keypads, "Lighting", cmd::kKeypadLighting);
    addCommand(keypads, "Motor", cmd::kKeypadMotor);
    // The sun dialog's own toggle has no menu item: this one runs it, so the dialog can be
    // found in the menu as well as by its keys.
    addCommand(keypads, "Sun", cmd::kKeypadSun, true);
    view->addSeparator();
    addCommand(view, "Time Stamp", cmd::kTimeStamp, true);
    addCommand(view, "Show IP", cmd::kShowIp, true);
    addCommand(view, "Show Sent", cmd::kShowSent, true);
    view->addSeparator();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addCommand(help, "&About Ubrix Vorel...", cmd::kAbout);

    m_menus.append({file, edit, transport, logging, view, help});
    for (QMenu* menu : std::as_const(m_menus)) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandUi);
    }

    m_handlers = {
        {cmd::kSaveMapFile, [this] { OnSaveMapFile(); }},
        {cmd::kNewProject, [this] { OnNewProject(); }},
        {cmd::kCompareSnapshot, [this] { CSnapshotCompareDlg::open(m_context, this); }},
        {cmd::kSiteReport, [this] { CSiteReportDlg::open(m_context, this); }},
        {cmd::kLoadProject, [this] { OnLoadProject(); }},
        {cmd::kEditUndo, [this] { OnEditUndo(); }},
        {cmd::kEditRedo, [this] { OnEditRedo(); }},
        {cmd::kSaveProject, [this] { OnSaveProject(); }},
        {cmd::kExit, [this] { close(); }},
        {cmd::kInterfaceUdp, [this] { OnSelectTransportMode(CTransport::kModeUdp, true); }},
        {cmd::kInterfaceTcp, [this] { OnSelectTransportMode(CTransport::kModeTcp, false); }},
        {cmd::kInterfaceUsb, [this] { OnSelectTransportMode(CTransport::kModeUsb, true); }},
        {cmd::kInterfaceNetwork, [this] { OnNetworkSetup(); }},
        {cmd::kLoggingStart, [this] { OnLoggingStart(); }},
        {cmd::kLoggingStop, [this] { OnLoggingStop(); }},
        {cmd::kLogFileName, [this] { OnLogFileName(); }},
        {cmd::kTimeStamp, [this] { OnTimeStamp(); }},
        {cmd::kShowIp, [this] { OnShowIp(); }},
        {cmd::kShowSent, [this] { OnShowSent(); }},
        {cmd::kAbout, [this] { OnAbout(); }},
        {cmd::kLoadMap, [this] { OnLoadMap(); }},
    };
    // TCP and USB have their actions but cannot be chosen from the menu.
    m_alwaysDisabled = {cmd::kInterfaceTcp, cmd::kInterfaceUsb};
}

void CMainFrame::buildHiddenCommands() {
    // Commands that no menu item carries; they live on the window so that their keys work.
    QAction* loadMap = makeCommand("Load Map File", cmd::kLoadMap, false);
    loadMap->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    loadMap->setShortcutContext(Qt::WindowShortcut);
    addAction(loadMap);
    QAction* sun = makeCommand("Sun", cmd::kToggleSun, true);
    sun->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    sun->setShortcutContext(Qt::WindowShortcut);
    addAction(sun);
}

void CMainFrame::buildStatusBar() {
    auto* messagePane = new QLabel(QString::fromLatin1(kReady), statusBar());
    messagePane->setObjectName(QStringLiteral("messagePane"));
    statusBar()->addWidget(messagePane, 1);
    connect(&m_context.state.status, &CStatusLine::said, messagePane, &QLabel::setText);
    new CLockKeyPanes(statusBar());  // the status bar owns it
}

void CMainFrame::connectTransport() {
    CTransport& transport = m_context.transport;
    connect(&transport, &CTransport::rxQueued, this, &CMainFrame::OnRxQueued);
    connect(&transport, &CTransport::rxBracket, this, &CMainFrame::OnRxBracket);
    connect(&transport, &CTransport::rxBang, this, &CMainFrame::OnRxBang);
    connect(&transport, &CTransport::textSent, this, &CMainFrame::OnTextSent);
    // The USB gateway was missing and the transport fell back to UDP: the views show the
    // mode in their captions and destination lists.
    connect(&transport, &CTransport::modeChanged, this,
            [this] { m_context.doc.notifyViews(CUbrixVorelDoc::kHintNone); });
}

QAction* CMainFrame::makeCommand(const char* text, int command, bool checkable) {
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setData(command);
    action->setObjectName(QStringLiteral("command%1").arg(command));
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    m_commands.insert(command, action);
    return action;
}

QAction* CMainFrame::addCommand(QMenu* menu, const char* text, int command, bool checkable) {
    QAction* action = makeCommand(text, command, checkable);
    menu->addAction(action);
    return action;
}

void CMainFrame::registerView(int command, const ViewFactory& factory) {
    m_viewFactories.insert(command, factory);
    updateCommandUi();
}

void CMainFrame::setChildFactory(int child, ChildFactory factory) {
    m_childFactories[child] = std::move(factory);
    updateCommandUi();
}

bool CMainFrame::frameHandles(int command) const {
    if (m_handlers.contains(command)) {
        return true;
    }
    if (isViewCommand(command)) {
        return m_viewFactories.contains(command);
    }
    const int child = childOfCommand(command);
    return child != 0 && m_childFactories.count(child) != 0;
}

bool CMainFrame::isCommandEnabled(int command) const {
    if (m_alwaysDisabled.contains(command)) {
        return false;
    }
    if (command == cmd::kEditUndo) {
        return m_context.doc.canUndoTemplateEdit();
    }
    if (command == cmd::kEditRedo) {
        return m_context.doc.canRedoTemplateEdit();
    }
    const auto* view = qobject_cast<const CFormView*>(activeView());
    if (view != nullptr && view->handlesCommand(command)) {
        return true;
    }
    return frameHandles(command);
}

void CMainFrame::runCommand(int command) {
    if (isCommandEnabled(command)) {
        handleCommand(command);
    }
    updateCommandUi();
}

void CMainFrame::handleCommand(int command) {
    // The view that is shown comes first, as it always has.
    auto* view = qobject_cast<CFormView*>(activeView());
    if (view != nullptr && view->handlesCommand(command)) {
        view->OnCommand(command);
        return;
    }
    if (const auto handler = m_handlers.constFind(command); handler != m_handlers.cend()) {
        (*handler)();
    } else if (isViewCommand(command)) {
        switchView(command);
    } else if (command == cmd::kToggleSun || command == cmd::kKeypadSun) {
        OnToggleSun();
    } else if (const int child = childOfCommand(command); child != 0) {
        openChildWindow(child);
    }
}

void CMainFrame::updateCommandUi() {
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it) {
        it.value()->setEnabled(isCommandEnabled(it.key()));
    }
    const int mode = m_context.transport.mode();
    const bool logging = m_context.doc.isLogging();
    const QHash<int, bool> checks{
        {cmd::kInterfaceUdp, mode == CTransport::kModeUdp},
        {cmd::kInterfaceTcp, mode == CTransport::kModeTcp},
        {cmd::kLoggingStart, logging},
        {cmd::kLoggingStop, !logging},
        {cmd::kTimeStamp, m_context.settings.showTime != 0},
        {cmd::kShowIp, m_context.settings.showIp != 0},
        {cmd::kShowSent, m_context.settings.showSent != 0},
        {cmd::kToggleSun, childWindow(umw::kSunDialog) != nullptr},
        {cmd::kKeypadSun, childWindow(umw::kSunDialog) != nullptr},
    };
    for (auto it = checks.cbegin(); it != checks.cend(); ++it) {
        m_commands.value(it.key())->setChecked(it.value());
    }
    nameEdits();
}

// "Undo Change Address": the menu says which edit it takes back or does again.
void CMainFrame::nameEdits() {
    if (!m_commands.contains(cmd::kEditUndo)) {
        return;
    }
    const QString undo = m_context.doc.templateUndoName();
    const QString redo = m_context.doc.templateRedoName();
    m_commands.value(cmd::kEditUndo)
        ->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
    m_commands.value(cmd::kEditRedo)
        ->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
}

QWidget* CMainFrame::activeView() const {
    return centralWidget();
}

void CMainFrame::switchView(int command) {
    const auto factory = m_viewFactories.constFind(command);
    if (factory == m_viewFactories.cend()) {
        return;
    }
    QWidget* old = centralWidget() != nullptr ? takeCentralWidget() : nullptr;
    if (old != nullptr) {
        // Taken out of the layout, it stays the frame's (hidden) child until it goes, so it
        // can never outlive the frame.
        old->setParent(this);
        old->hide();
        disconnect(&m_context.doc, nullptr, old, nullptr);
    }
    QWidget* view = (*factory)(m_context, this);
    setCentralWidget(view);
    view->show();
    m_activeViewCommand = command;
    if (auto* form = qobject_cast<CFormView*>(view)) {
        connect(&m_context.doc, &CUbrixVorelDoc::updateAllViews, form, &CFormView::OnUpdate);
        form->OnInitialUpdate();
    }
    if (old != nullptr) {
        // Later: the switch may have been asked for by the old view itself.
        old->deleteLater();
    }
    updateCommandUi();
}

QWidget* CMainFrame::childWindow(int child) const {
    const auto slot = m_children.find(child);
    return slot != m_children.end() ? slot->second.window.data() : nullptr;
}

bool CMainFrame::isChildSlotOccupied(int child) const {
    const auto slot = m_children.find(child);
    return slot != m_children.end() && slot->second.occupied();
}

void CMainFrame::openChildWindow(int child) {
    ChildSlot& slot = m_children[child];
    const auto factory = m_childFactories.find(child);
    if (slot.occupied() || factory == m_childFactories.end()) {
        return;
    }
    QWidget* window = factory->second(*this);
    if (window == nullptr) {
        // As before: the slot stays taken, so the command does nothing more in this run.
        slot.failed = true;
        CDialogService::message(QString::fromLatin1(kErrorCreatingDialog));
        return;
    }
    if (!window->isWindow() || window->parent() != this) {
        window->setParent(this, window->windowFlags() | Qt::Window);
    }
    slot.window = window;
    window->show();
}

void CMainFrame::destroyChild(int child) {
    const auto slot = m_children.find(child);
    if (slot == m_children.end()) {
        return;
    }
    delete slot->second.window.data();
    m_children.erase(slot);
}

void CMainFrame::OnChildClosed(int child) {
    switch (child) {
        case umw::kLedKeypad:
        case umw::kTraceWindow:
        case umw::kBasicKeypad:
        case umw::kMotorKeypad:
            // The window goes by itself; the frame only forgets it.
            m_children.erase(child);
            break;
        default:
            break;
    }
}

void CMainFrame::OnRxQueued() {
    m_replyDrain.linesQueued();
}

void CMainFrame::OnRxBracket(const QByteArray& text) {
    postToChild(umw::kTraceWindow, text, false);
}

void CMainFrame::OnRxBang(const QByteArray& text) {
    if (isLedKeypadStatus(text)) {
        postToChild(umw::kLedKeypad, text, true);
    }
    if (isMotorKeypadStatus(text)) {
        postToChild(umw::kMotorKeypad, text, true);
    }
}

void CMainFrame::postToChild(int child, const QByteArray& text, bool keypadStatus) {
    QWidget* window = childWindow(child);
    auto* receiver = dynamic_cast<IFrameChild*>(window);
    if (receiver == nullptr) {
        return;
    }
    // Posted, as the keypad takes it when it is its turn; dropped if the window goes first.
    QMetaObject::invokeMethod(
        window,
        [receiver, text, keypadStatus] {
            if (keypadStatus) {
                receiver->OnKeypadStatus(text);
            } else {
                receiver->OnTraceLine(text);
            }
        },
        Qt::QueuedConnection);
}

void CMainFrame::OnSendText(quint32 address, const QByteArray& text) {
    m_context.transport.SendText(text, address);
}

void CMainFrame::updateTitle() {
    setWindowTitle(m_context.doc.isTemplateModified() ? m_title.trimmed() + QStringLiteral(" *")
                                                      : m_title);
}

bool CMainFrame::mayDropProjectChanges() {
    if (!m_context.doc.isTemplateModified()) {
        return true;
    }
    switch (CDialogService::message(QString::fromLatin1(kUnsavedProject),
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return OnSaveProject();
        case QMessageBox::No:
            return true;
        default:
            return false;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!mayDropProjectChanges()) {
        event->ignore();
        return;
    }
    destroyChild(umw::kLedKeypad);
    destroyChild(umw::kTraceWindow);
    QMainWindow::closeEvent(event);
}

void CMainFrame::OnSaveMapFile() {
    const QString path = CDialogService::saveFileName(
        QStringLiteral("xml"), m_context.settings.mapFilename, QString::fromLatin1(kXmlFilter));
    if (path.isEmpty()) {
        return;
    }
    m_context.doc.saveMapFile(path);
    m_context.settings.mapFilename = path;
}

void CMainFrame::OnNewProject() {
    if (!mayDropProjectChanges()) {
        return;
    }
    m_context.doc.newProject();
    switchView(cmd::kViewProject);
}

void CMainFrame::OnLoadProject() {
    if (!mayDropProjectChanges()) {
        return;
    }
    const QString path = CDialogService::openFileName(QStringLiteral("xml"), QString(),
                                                      QString::fromLatin1(kXmlFilter));
    if (!path.isEmpty()) {
        m_context.doc.openProject(path);
    }
    switchView(cmd::kViewProject);
}

// Into the project's own file; a project without one is given a name first, and a name
// that is taken is asked about before its file is written over.
bool CMainFrame::OnSaveProject() {
    if (m_context.doc.hasProjectFile()) {
        return m_context.doc.saveProject(m_context.doc.templatePath());
    }
    const QString path = CDialogService::saveFileName(QStringLiteral("xml"), QString(),
                                                      QString::fromLatin1(kXmlFilter),
                                                      CDialogService::OverwritePrompt::Yes);
    return !path.isEmpty() && m_context.doc.saveProject(path);
}

void CMainFrame::OnEditUndo() {
    try {
        m_context.doc.undoTemplateEdit();
    } catch (const CXmlError&) {
        m_context.doc.writeErrorLog("Error in CMainFrame::OnEditUndo");
    }
}

void CMainFrame::OnEditRedo() {
    try {
        m_context.doc.redoTemplateEdit();
    } catch (const CXmlError&) {
        m_context.doc.writeErrorLog("Error in CMainFrame::OnEditRedo");
    }
}

void CMainFrame::OnLoadMap() {
    const QString path = CDialogService::openFileName(
        QStringLiteral("xml"), m_context.settings.mapFilename, QString::fromLatin1(kXmlFilter));
    if (path.isEmpty()) {
        return;
    }
    m_context.doc.loadMapFile(path);
    m_context.settings.mapFilename = path;
}

void CMainFrame::OnSelectTransportMode(int mode, bool closeTcp) {
    m_context.transport.selectMode(mode);
    if (closeTcp) {
        m_context.transport.CloseTcp();
    }
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintNone);
}

void CMainFrame::OnNetworkSetup() {
    CTransport& transport = m_context.transport;
    CNetworkConfig::Values current;
    current.selectedAdapter = transport.adapters().selected();
    current.sendPort = static_cast<quint32>(transport.sendPort());
    current.receivePort = static_cast<quint32>(transport.receivePort());
    current.defaultIp = transport.defaultIp();
    QStringList names;
    for (const CAdapterEntry& entry : transport.adapters().entries()) {
        names.append(entry.name);
    }
    CNetworkConfig dialog(QHostInfo::localHostName(), names, current, this);
    if (CModalRunner::exec(dialog) != QDialog::Accepted) {
        return;
    }
    const CNetworkConfig::Values chosen = dialog.values();
    if (chosen.selectedAdapter >= 0) {
        transport.adapters().select(chosen.selectedAdapter);
    }
    transport.setSendPort(static_cast<int>(chosen.sendPort));
    transport.setReceivePort(static_cast<int>(chosen.receivePort));
    transport.setDefaultIp(chosen.defaultIp);
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintNone);
    // Even an unchanged form restarts reception: that is how a deaf receiver is revived.
    transport.StopReceiver();
    transport.StartTransport();
}

void CMainFrame::OnLoggingStart() {
    m_context.doc.startLogging();
}

void CMainFrame::OnLoggingStop() {
    m_context.doc.stopLogging();
}

void CMainFrame::OnLogFileName() {
    // A save dialog, because the name may be a new one (Start makes the file). It opens on
    // the current log, which for a relative name is in the user's data folder. Cancelled,
    // logging goes on as it was.
    const QString path = CDialogService::saveFileName(QStringLiteral("txt"),
                                                      m_context.settings.logFilePath(), QString());
    if (path.isEmpty()) {
        return;
    }
    const bool wasLogging = m_context.doc.isLogging();
    if (wasLogging) {
        m_context.doc.stopLogging();
    }
    m_context.settings.logFilename = path;
    const QString howToStart = QStringLiteral("Logging > Start logs to %1").arg(path);
    m_context.state.status.say(wasLogging ? QStringLiteral("Logging stopped. ") + howToStart
                                          : howToStart);
}

void CMainFrame::OnTimeStamp() {
    m_context.settings.showTime = m_context.settings.showTime != 0 ? 0 : 1;
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintNone);
}

void CMainFrame::OnShowIp() {
    m_context.settings.showIp = m_context.settings.showIp != 0 ? 0 : 1;
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintNone);
}

void CMainFrame::OnShowSent() {
    m_context.settings.showSent = m_context.settings.showSent != 0 ? 0 : 1;
}

// Both sides of the conversation in one list and one log, as a packet monitor shows them.
void CMainFrame::OnTextSent(const QByteArray& text, quint32 address, QTime sentAt) {
    if (m_context.settings.showSent != 0) {
        m_context.doc.addLogEntry(CTrafficLine::sent(sentAt, address, text));
    }
}

void CMainFrame::OnToggleSun() {
    if (isChildSlotOccupied(umw::kSunDialog)) {
        destroyChild(umw::kSunDialog);
    } else {
        openChildWindow(umw::kSunDialog);
    }
}

void CMainFrame::OnAbout() {
    const CSettings& settings = m_context.settings;
    const CAboutDlg::Locations locations{
        settings.settingsFile,
        QFileInfo(CDataFolder::resolve(settings.dataFolder, settings.logFilename)).absolutePath()};
    CAboutDlg about(CAboutDlg::buildVersion(), locations, this);
    CModalRunner::exec(about);
}
