#pragma once

#include "core/document/CReplyDrain.h"
#include "gui/base/CViewContext.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QTime>
#include <functional>
#include <map>

class QAction;
class QMenu;

// The program's only top-level window: one view at a time in its client area, the menus,
// the status bar, the modeless tool windows, the file dialogs and Network Setup. It is the
// receiver of the transport's messages (see WindowMessages.h); everything here runs on the
// GUI thread, and other threads reach the public slots only through queued connections.
//
// Views and tool windows of other parts are made by factories that the program registers.
// A command whose view or window has none is disabled, as a command nobody handles is.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Ubrix VOREL ";
    static constexpr const char* kTitleNewerRelease = "Ubrix VOREL - A newer release is available";
    static constexpr const char* kXmlFilter = "Xml Files (*.xml)|*.xml||";
    static constexpr const char* kErrorCreatingDialog = "Error creating Dialog";
    static constexpr const char* kReady = "Ready";
    static constexpr const char* kUnsavedProject =
        "The project has changes that are not saved.\nSave them first?";
    static constexpr int kMinimumWidth = 672;
    static constexpr int kMinimumHeight = 488;

    using ViewFactory = std::function<QWidget*(const CViewContext& context, QWidget* parent)>;
    // Returns the new window, or null when it could not be made.
    using ChildFactory = std::function<QWidget*(CMainFrame& frame)>;

    // Builds the menus and the status bar and shows the traffic view. The title tells of a
    // newer release when one was announced before the frame was made.
    CMainFrame(const CViewContext& context, bool newerReleaseAnnounced, QWidget* parent = nullptr);
    ~CMainFrame() override;

    const CViewContext& context() const { return m_context; }

    // Views by their View command; the traffic, network and gateway views are registered
    // from the start.
    void registerView(int command, const ViewFactory& factory);
    // Tool windows by their number (vorel::umw::ChildWindow).
    void setChildFactory(int child, ChildFactory factory);

    bool isCommandEnabled(int command) const;
    // Carries out a command as the menu does; a disabled command does nothing.
    void runCommand(int command);
    // Enables, disables and checks the commands as they stand; runs before a menu opens.
    void updateCommandUi();

    QWidget* activeView() const;
    int activeViewCommand() const { return m_activeViewCommand; }
    // Builds a fresh view of the command's kind and puts it in place of the current one.
    void switchView(int command);

    // The tool window in a slot (null while the slot is empty or its window failed).
    QWidget* childWindow(int child) const;
    bool isChildSlotOccupied(int child) const;
    void openChildWindow(int child);

public slots:
    // UMW_RX_QUEUED: the receive thread queued lines.
    void OnRxQueued();
    // UMW_RX_BRACKET: a text for the trace window.
    void OnRxBracket(const QByteArray& text);
    // UMW_RX_BANG: a reply that an open keypad may be waiting for.
    void OnRxBang(const QByteArray& text);
    // UMW_SEND_TEXT and UMW_SEND_TEXT_FREE.
    void OnSendText(quint32 address, const QByteArray& text);
    // UMW_CHILD_CLOSED.
    void OnChildClosed(int child);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct ChildSlot {
        QPointer<QWidget> window;
        // A window that could not be made keeps its slot taken.
        bool failed = false;
        bool occupied() const { return window != nullptr || failed; }
    };

    void buildMenus();
    void buildHiddenCommands();
    void buildStatusBar();
    void connectTransport();
    QAction* addCommand(QMenu* menu, const char* text, int command, bool checkable = false);
    QAction* makeCommand(const char* text, int command, bool checkable);
    bool frameHandles(int command) const;
    void handleCommand(int command);
    void postToChild(int child, const QByteArray& text, bool keypadStatus);
    // The title, marked while the project has unsaved changes.
    void updateTitle();
    // Asks before unsaved project changes are lost: Yes saves first, Cancel keeps them.
    bool mayDropProjectChanges();
    void destroyChild(int child);

    void OnSaveMapFile();
    void OnNewProject();
    void OnLoadProject();
    void OnEditUndo();
    void OnEditRedo();
    void nameEdits();
    // False when nothing was saved (cancelled or failed).
    bool OnSaveProject();
    void OnLoadMap();
    void OnSelectTransportMode(int mode, bool closeTcp);
    void OnNetworkSetup();
    void OnLoggingStart();
    void OnLoggingStop();
    void OnLogFileName();
    void OnTimeStamp();
    void OnShowIp();
    void OnShowSent();
    void OnTextSent(const QByteArray& text, quint32 address, QTime sentAt);
    void OnToggleSun();
    void OnAbout();

    CViewContext m_context;
    QString m_title;
    CReplyDrain m_replyDrain;
    QHash<int, QAction*> m_commands;
    QHash<int, std::function<void()>> m_handlers;
    QSet<int> m_alwaysDisabled;
    QHash<int, ViewFactory> m_viewFactories;
    std::map<int, ChildFactory> m_childFactories;
    std::map<int, ChildSlot> m_children;
    QList<QMenu*> m_menus;
    int m_activeViewCommand = 0;
};
