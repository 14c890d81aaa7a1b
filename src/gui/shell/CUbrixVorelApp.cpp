#include "gui/shell/CUbrixVorelApp.h"

#include "core/common/CQtTimerSource.h"
#include "core/common/CSystemClock.h"
#include "core/common/Version.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/journal/CChangeJournal.h"
#include "core/plan/CErrorLog.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CDataFolder.h"
#include "core/settings/CSettings.h"
#include "core/transport/CAdapterTable.h"
#include "core/transport/CTransport.h"
#include "core/update/CUpdateCheck.h"
#include "gui/base/CMessageBoxNotifier.h"
#include "gui/base/CViewState.h"
#include "gui/shell/CMainFrame.h"

#include <QSettings>

CUbrixVorelApp::CUbrixVorelApp(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_clock(CSystemClock::instance()) {
    if (m_options.notifier == nullptr) {
        m_ownNotifier = std::make_unique<CMessageBoxNotifier>();
        m_notifier = m_ownNotifier.get();
    } else {
        m_notifier = m_options.notifier;
    }
    m_dataFolder = dataFolderOf(m_options);
    m_settings = std::make_unique<CSettings>();
    m_errorLog = std::make_unique<CErrorLog>(
        m_clock,
        m_options.errorLogPath.isEmpty()
            ? CDataFolder::prepare(m_dataFolder, QLatin1String(CErrorLog::kDefaultFileName))
            : m_options.errorLogPath);
    m_doc = std::make_unique<CUbrixVorelDoc>(*m_settings, *m_notifier, *m_errorLog);
    m_transport = std::make_unique<CTransport>(*m_notifier, m_clock, m_doc->inboundQueue(),
                                               m_doc->firewallSuspect());
    m_timers = std::make_unique<CQtTimerSource>();
    m_sequencer = std::make_unique<CSequencer>(*m_timers);
    m_sequencer->watch(*m_doc);
    m_journal = std::make_unique<CChangeJournal>(
        *m_doc, *m_timers, m_clock, QStringLiteral("vorel"), CJournalFile::pathIn(m_dataFolder));
    connect(m_transport.get(), &CTransport::textSent, m_journal.get(), &CChangeJournal::noteSent);
}

CUbrixVorelApp::~CUbrixVorelApp() {
    // The window goes first: its views hold on to the document and the transport.
    m_frame.reset();
    m_sequencer.reset();
    m_journal.reset();
}

std::unique_ptr<QSettings> CUbrixVorelApp::openStore(const Options& options) {
    if (!options.settingsPath.isEmpty()) {
        return CSettings::openFileStore(options.settingsPath);
    }
    if (options.demo) {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QLatin1String(CSettings::kOrganisation),
                                           QLatin1String(kDemoApplication));
    }
    return CSettings::openUserStore();
}

QString CUbrixVorelApp::dataFolderOf(const Options& options) {
    if (!options.dataFolder.isEmpty()) {
        return options.dataFolder;
    }
    return CDataFolder::forApplication(
        QLatin1String(options.demo ? kDemoApplication : CSettings::kApplication));
}

bool CUbrixVorelApp::InitInstance() {
    // The settings live under the maker's name and the program's.
    m_store = openStore(m_options);
    // Sockets need no library to be started here (there is no counterpart of the
    // Windows socket start-up that could fail), so there is no "Winsock error" to show.
    readSettings();
    // The transport starts with no TCP connection open.
    enumerateAdapters();
    checkVersion();

    // The document: a new, empty plan. Making it asks whether a newer release exists, so
    // the window made afterwards can tell of it in its title.
    installUpdateCheck();
    if (!m_doc->newPlan()) {
        return false;
    }
    m_viewState = std::make_unique<CViewState>();
    m_viewState->keypads = CKeypadAddressBlock::fromSettings(*m_settings);
    const CViewContext context{*m_doc,       *m_transport, *m_settings,
                               *m_sequencer, *m_viewState, m_journal.get()};
    m_frame = std::make_unique<CMainFrame>(context, CSettings::newerReleaseAnnounced(*m_store));
    m_frame->show();
    m_started = true;
    m_transport->StartTransport();
    return true;
}

void CUbrixVorelApp::readSettings() {
    m_settings->load(*m_store);
    m_settings->dataFolder = m_dataFolder;
    m_settings->settingsFile = m_store->fileName();
    m_transport->applySettings(*m_settings);
    m_sequencer->setDefaultPacing(m_settings->pacing == 0 ? CPacing::Fixed : CPacing::ByReplies);
}

void CUbrixVorelApp::enumerateAdapters() {
    if (m_options.demo) {
        // The demonstration never binds to or sends through a real interface.
        CAdapterTable table = CAdapterTable::fromCandidates({});
        table.addDemoAdapter();
        m_transport->setAdapters(std::move(table));
        return;
    }
    const QList<CAdapterCandidate> candidates = m_options.adapterCandidates
                                                    ? m_options.adapterCandidates()
                                                    : CAdapterTable::systemCandidates();
    CAdapterTable table = CAdapterTable::fromCandidates(candidates);
    const QString message = table.startupMessage();
    m_transport->setAdapters(std::move(table));
    if (!message.isEmpty()) {
        m_notifier->showMessage(message);
    }
}

void CUbrixVorelApp::checkVersion() {
    m_versionMajor = vorel::version::kMajor;
    m_versionMinor = vorel::version::kMinor;
    m_versionBuild = vorel::version::kBuild;
    CSettings::checkRelease(*m_store, m_versionMajor, m_versionMinor);
}

void CUbrixVorelApp::installUpdateCheck() {
    m_updateCheck =
        std::make_unique<CUpdateCheck>(*m_store, *m_notifier, m_versionMajor, m_versionMinor);
    m_updateCheck->setIndexAddress(m_settings->releaseIndexUrl);
    m_doc->setUpdateCheck([this] { m_updateCheck->run(); });
}

int CUbrixVorelApp::ExitInstance() {
    // Nothing more is sent once shutdown begins; what waited for an echo is journalled.
    m_sequencer->stopAll();
    m_journal->settleAll();
    if (m_started) {
        m_doc->close();
    }
    if (m_store) {
        m_transport->storeSettings(*m_settings);
        m_settings->save(*m_store);
    }
    m_transport->StopReceiver();
    m_transport->CloseTcp();
    return 0;
}
