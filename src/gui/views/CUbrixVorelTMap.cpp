#include "gui/views/CUbrixVorelTMap.h"

#include "core/bus/CBusActions.h"
#include "core/bus/CBusCollection.h"
#include "core/bus/CBusRuns.h"
#include "core/bus/CPresetFile.h"
#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CTransport.h"
#include "core/tree/CNodeKind.h"
#include "core/update/CFirmwareUpdater.h"
#include "core/update/CProcessLauncher.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CPopupMenus.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/site/CReplaceDeviceDlg.h"
#include "gui/views/CBusButtons.h"
#include "gui/views/CBusPageList.h"
#include "gui/views/CConfigTree.h"
#include "gui/views/CRunProgress.h"

#include <QHBoxLayout>
#include <QHash>
#include <QVBoxLayout>

namespace {

constexpr int kTreeWidth = 220;
constexpr int kRowHeight = 18;

QString runName(const char* name) {
    return QString::fromLatin1(name);
}

// The commands of the pop-up menu and of "Upload CMS File", and who carries each out.
const QHash<int, void (CUbrixVorelTMap::*)()>& commandHandlers() {
    static const QHash<int, void (CUbrixVorelTMap::*)()> handlers{
        {vorel::cmd::kUploadCmsFile, &CUbrixVorelTMap::OnUploadCmsFile},
        {vorel::cmd::kTmapRefresh, &CUbrixVorelTMap::OnTmapRefresh},
        {vorel::cmd::kTmapDelete, &CUbrixVorelTMap::OnTmapDelete},
        {vorel::cmd::kTmapIdentify, &CUbrixVorelTMap::OnTmapIdentify},
        {vorel::cmd::kTmapUpdate, &CUbrixVorelTMap::OnTmapUpdate},
        {vorel::cmd::kTmapReplace, &CUbrixVorelTMap::OnTmapReplace},
    };
    return handlers;
}

}  // namespace

CUbrixVorelTMap::CUbrixVorelTMap(const CViewContext& context, QWidget* parent)
    : CFormView(parent), m_context(context), m_sync(context.doc, m_model) {
    buildForm();
    // A collection started before this view was made goes on; this view shows it.
    m_buttons->collection().follow(m_context.sequencer.run(runName(CBusCollection::kRunName)));
}

CUbrixVorelTMap::~CUbrixVorelTMap() {
    // The tree is a widget of this view and outlives its members by a moment.
    m_tree->release();
}

void CUbrixVorelTMap::buildForm() {
    m_tree = new CConfigTree(m_model, CNodeKind::iconCount(CNodeKind::Tree::Bus), kRowHeight, this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setFixedWidth(kTreeWidth);
    // New gateways and devices show at once below their parent, as they always have.
    m_tree->expandOnInsert({CTreeItem::Role::Root, CTreeItem::Role::Gateway});
    connect(m_tree, &QTreeView::clicked, this, &CUbrixVorelTMap::OnNMClickTree3);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
        CPopupMenus::popup(vorel::cmd::kPopupBusView, this, m_tree->viewport(), at,
                           [this](int command) { OnCommand(command); });
    });
    connect(&m_sync, &CBusTreeSync::synced, this, &CUbrixVorelTMap::selectAwaited);
    // The user chose another item: the device that comes back does not take it.
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    m_awaited.reset();
                }
            });

    m_list = new CPropertyList(this);
    m_list->setObjectName(QStringLiteral("properties"));
    m_page = std::make_unique<CBusPageList>(*m_list, m_context);

    m_buttons = new CBusButtons(CBusCollection::kProgressRange, this);
    connect(m_buttons, &CBusButtons::discoverClicked, this, &CUbrixVorelTMap::OnDiscover);
    connect(m_buttons, &CBusButtons::devicesClicked, this, &CUbrixVorelTMap::OnRegister);
    connect(m_buttons, &CBusButtons::setClicked, this, &CUbrixVorelTMap::OnSetUid);
    connect(&m_buttons->collection(), &CRunProgress::startClicked, this,
            &CUbrixVorelTMap::OnCollect);
    // The end says how it went, and names what is still missing.
    connect(&m_buttons->collection(), &CRunProgress::ended, this,
            [this](CSequenceRun::Outcome outcome, const QString& incomplete, int repeats) {
                m_context.state.status.say(
                    CBusRuns::collectionEnded(outcome, !incomplete.isEmpty(), repeats));
                if (!incomplete.isEmpty()) {
                    CDialogService::message(incomplete);
                }
            });

    auto* right = new QVBoxLayout;
    right->addWidget(m_buttons);
    right->addWidget(m_list, 1);
    auto* form = new QHBoxLayout(this);
    form->addWidget(m_tree);
    form->addLayout(right, 1);
}

void CUbrixVorelTMap::OnInitialUpdate() {
    proposeUid(selection());
    m_tree->expandItem(m_model.root());
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintDeviceAnnounced);
}

void CUbrixVorelTMap::OnUpdate(quint32 hint) {
    if ((hint & CUbrixVorelDoc::kHintRestructured) != 0) {
        // A whole plan was loaded: nothing of the old tree or page belongs to it.
        m_page->clear();
    }
    m_sync.documentUpdated(hint);
    const CBusTreeItem* item = selection();
    if ((hint & (CUbrixVorelDoc::kHintSettings | CUbrixVorelDoc::kHintDeviceAnnounced)) != 0 &&
        item != nullptr) {
        try {
            m_page->follow(*item);
        } catch (const CXmlError&) {
            logError("OnUpdate");
        }
    }
}

const CBusTreeItem* CUbrixVorelTMap::selection() const {
    return m_model.item(m_tree->currentModelIndex());
}

CBusTarget CUbrixVorelTMap::target() const {
    return CBusTarget::of(selection());
}

void CUbrixVorelTMap::proposeUid(const CBusTreeItem* item) {
    if (const quint32 free = CBusActions::proposedUid(m_context.doc.plan(), CBusTarget::of(item))) {
        m_buttons->setUid(free);
    }
}

bool CUbrixVorelTMap::carryOut(const CBusAction& action) {
    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    if (!action.question.isEmpty() &&
        (action.enterAnswersNo
             ? CDialogService::question(action.question, QMessageBox::No)
             : CDialogService::message(action.question, yesNo)) != QMessageBox::Yes) {
        m_context.state.status.say(action.declined);
        return false;
    }
    const CBusActions::Outcome outcome = CBusActions::perform(
        action, m_context.doc, m_model,
        CBusActions::sender(m_context.transport, m_context.sequencer,
                            m_context.doc.firewallSuspect(),
                            messageWhileShown(CBroadcastQuery::kFirewallBlocked)));
    if (!outcome.said.isEmpty()) {
        m_context.state.status.say(outcome.said);
    }
    if (!outcome.message.isEmpty()) {
        CDialogService::message(outcome.message);
    }
    if (!outcome.sent) {
        return false;
    }
    if (action.change != CBusAction::Change::None) {
        m_page->clear();
    }
    if (action.change == CBusAction::Change::ForgetTree ||
        action.change == CBusAction::Change::RemoveAll) {
        m_awaited.reset();
        m_tree->expandItem(m_model.root());
    }
    if (action.proposedUid != 0) {
        m_buttons->setUid(action.proposedUid);
    }
    if (action.awaited && action.awaited->comesBack) {
        m_awaited = action.awaited;
        selectAwaited();
    }
    return true;
}

void CUbrixVorelTMap::selectAwaited() {
    const CBusTreeItem* device =
        m_awaited ? m_model.device(m_awaited->gateway, m_awaited->attribute, m_awaited->number)
                  : nullptr;
    if (device != nullptr) {
        m_tree->setCurrentItem(device);
        // As a click on it: its settings are listed, or asked for when the plan has none.
        OnNMClickTree3(m_tree->currentIndex());
    }
}

void CUbrixVorelTMap::OnNMClickTree3(const QModelIndex& index) {
    m_list->setValueHeader(QString());
    const CBusTreeItem* item = m_model.item(m_tree->toModel(index));
    if (item == nullptr) {
        return;
    }
    m_tree->setFocus();
    m_tree->setCurrentIndex(index);
    try {
        const CBusPage page = m_page->show(*item);
        carryOut(CBusActions::click(m_context.doc.plan(), page));
        if (page.action == CBusPage::Action::NoType) {
            logError("OnNMClickTree3");
        }
    } catch (const CXmlError&) {
        logError("OnNMClickTree3");
    }
    proposeUid(item);
}

void CUbrixVorelTMap::OnDiscover() {
    carryOut(CBusActions::discover());
}

void CUbrixVorelTMap::OnRegister() {
    carryOut(CBusActions::registration(m_context.doc.plan(), target()));
}

void CUbrixVorelTMap::OnSetUid() {
    carryOut(CBusActions::setUid(m_context.doc.plan(), target(), m_buttons->uidText()));
}

void CUbrixVorelTMap::OnCollect() {
    CRunProgress& collection = m_buttons->collection();
    if (!collection.isFollowing() && carryOut(CBusActions::collect(m_context.doc.plan()))) {
        collection.follow(CBusRuns::startCollection(m_context.sequencer, m_context.doc,
                                                    m_context.transport, m_context.settings));
    }
}

bool CUbrixVorelTMap::handlesCommand(int command) const {
    if (command == vorel::cmd::kUploadCmsFile) {
        // One upload at a time.
        return m_context.sequencer.run(runName(CPresetFile::kRunName)) == nullptr;
    }
    return commandHandlers().contains(command);
}

void CUbrixVorelTMap::OnCommand(int command) {
    if (const auto handler = commandHandlers().value(command)) {
        (this->*handler)();
    }
}

void CUbrixVorelTMap::OnTmapRefresh() {
    carryOut(CBusActions::refresh(m_context.doc.plan(), target()));
}

void CUbrixVorelTMap::OnTmapDelete() {
    m_page->clear();
    try {
        carryOut(CBusActions::remove(m_context.doc.plan(), target()));
    } catch (const CXmlError&) {
        logError("OnTmapDelete");
    }
}

void CUbrixVorelTMap::OnTmapIdentify() {
    carryOut(CBusActions::identify(m_context.doc.plan(), target()));
}

void CUbrixVorelTMap::OnTmapUpdate() {
    CProcessLauncher launcher;
    const QString failure =
        CFirmwareUpdater::startFor(target(), launcher, m_context.settings.updaterProgram);
    if (!failure.isEmpty()) {
        CDialogService::message(failure);
    }
}

// A device of the map, by its UID: a new one takes its place and its settings.
void CUbrixVorelTMap::OnTmapReplace() {
    const CBusTarget device = target();
    if (carryOut(CBusActions::replace(device))) {
        CReplaceDeviceDlg::open(m_context, device.gatewayAddress,
                                static_cast<int>(device.deviceNumber), this);
    }
}

void CUbrixVorelTMap::OnUploadCmsFile() {
    m_tree->setFocus();
    const CBusTarget led = target();
    if (!carryOut(CBusActions::presets(led))) {
        return;
    }
    const QString path = CDialogService::openFileName(QString(), QString(),
                                                      QString::fromLatin1(CPresetFile::kFilter));
    const CPresetFile::Contents contents =
        path.isEmpty() ? CPresetFile::Contents{} : CPresetFile::read(path);
    const CBusAction upload = CBusRuns::presetUpload(m_context.doc.plan(), led, path, contents);
    if (!carryOut(upload)) {
        return;
    }
    CStatusLine& status = m_context.state.status;
    CBusRuns::startPresets(
        m_context.sequencer, m_context.transport, led, contents.presets, upload.to,
        [&status](const QString& said, bool complete) {
            status.say(said);
            if (complete) {
                CDialogService::message(QString::fromLatin1(CPresetFile::kComplete));
            }
        });
}

void CUbrixVorelTMap::logError(const char* handler) const {
    m_context.doc.writeErrorLog(QByteArray("Error in CUbrixVorelTMap::") + handler);
}
