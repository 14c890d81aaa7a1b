#pragma once

#include "core/transport/CAdapterCandidate.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class CChangeJournal;
class CErrorLog;
class CMainFrame;
class CMessageBoxNotifier;
class CQtTimerSource;
class CSequencer;
class CSettings;
class CTransport;
class CUpdateCheck;
struct CViewState;
class CUbrixVorelDoc;
class IClock;
class IUserNotifier;
class QSettings;

// The program: its settings, the adapter table, the document, the main window and the
// transport, started in a fixed order and stopped in the reverse one. It lives for the
// whole run; the QApplication must exist before it.
class CUbrixVorelApp : public QObject {
    Q_OBJECT

public:
    // The settings store of the demonstration, kept apart from the user's own.
    static constexpr const char* kDemoApplication = "Ubrix Vorel Demo";

    struct Options {
        // The settings file (INI); empty: this user's store.
        QString settingsPath;
        // Run on the loopback demo adapter alone; the real adapters are never used.
        bool demo = false;
        // Who tells the user; null: message boxes.
        IUserNotifier* notifier = nullptr;
        // The machine's network interfaces; null: this machine's.
        std::function<QList<CAdapterCandidate>()> adapterCandidates;
        // The error log file; empty: the program's usual name in the data folder.
        QString errorLogPath;
        // Where relative file names (the traffic log's, the error log) and the journal of
        // changes land; empty: this user's data folder for the program (the demonstration
        // has one of its own).
        QString dataFolder;
    };

    explicit CUbrixVorelApp(Options options, QObject* parent = nullptr);
    ~CUbrixVorelApp() override;

    // Start-up; false ends the program.
    bool InitInstance();
    // Shutdown; the program's exit code.
    int ExitInstance();

    CSettings& settings() { return *m_settings; }
    QSettings& store() { return *m_store; }
    CTransport& transport() { return *m_transport; }
    CUbrixVorelDoc& document() { return *m_doc; }
    CSequencer& sequencer() { return *m_sequencer; }
    CViewState& viewState() { return *m_viewState; }
    CChangeJournal& journal() { return *m_journal; }
    // Null before start-up has made it.
    CMainFrame* mainFrame() const { return m_frame.get(); }
    IUserNotifier& notifier() { return *m_notifier; }
    int versionMajor() const { return m_versionMajor; }
    int versionMinor() const { return m_versionMinor; }
    int versionBuild() const { return m_versionBuild; }

private:
    static std::unique_ptr<QSettings> openStore(const Options& options);
    static QString dataFolderOf(const Options& options);
    void readSettings();
    void enumerateAdapters();
    void checkVersion();
    void installUpdateCheck();

    Options m_options;
    std::unique_ptr<CMessageBoxNotifier> m_ownNotifier;
    IUserNotifier* m_notifier = nullptr;
    IClock& m_clock;
    QString m_dataFolder;
    std::unique_ptr<QSettings> m_store;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CErrorLog> m_errorLog;
    std::unique_ptr<CUbrixVorelDoc> m_doc;
    std::unique_ptr<CTransport> m_transport;
    std::unique_ptr<CQtTimerSource> m_timers;
    std::unique_ptr<CSequencer> m_sequencer;
    std::unique_ptr<CChangeJournal> m_journal;
    std::unique_ptr<CUpdateCheck> m_updateCheck;
    std::unique_ptr<CViewState> m_viewState;
    std::unique_ptr<CMainFrame> m_frame;
    int m_versionMajor = 0;
    int m_versionMinor = 0;
    int m_versionBuild = 0;
    bool m_started = false;
};
