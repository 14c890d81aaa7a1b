#include "gui/views/CUbrixVorelUbrix.h"

#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CGatewayName.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/sequence/CGatewayReturn.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "core/tree/CNodeKind.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CPopupMenus.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CConfigTree.h"
#include "gui/views/CValueCommit.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTreeWidth = 220;

}  // namespace

CUbrixVorelUbrix::CUbrixVorelUbrix(const CViewContext& context, QWidget* parent)
    : CFormView(parent), m_context(context) {
    buildForm();
}

CUbrixVorelUbrix::~CUbrixVorelUbrix() {
    m_tree->release();
}

void CUbrixVorelUbrix::buildForm() {
    m_tree =
        new CConfigTree(m_model, CNodeKind::iconCount(CNodeKind::Tree::Gateways), kRowHeight, this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setFixedWidth(kTreeWidth);
    // A gateway joining the plan shows at once.
    m_tree->expandOnInsert({CTreeItem::Role::Root});
    connect(m_tree, &QTreeView::clicked, this, &CUbrixVorelUbrix::OnNMClickTree2);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, &CUbrixVorelUbrix::showPopup);

    m_list = new CPropertyList(this);
    m_list->setObjectName(QStringLiteral("properties"));
    // The page the list shows says where its values go, wherever the selection has moved.
    m_commit = std::make_unique<CValueCommit>(*m_list, m_page, [this](const QByteArray& command) {
        return m_context.transport.SendText(command, m_page->address());
    });
    m_commit->reportTo(m_context.state.status, [this] {
        return CGatewayName::of(m_context.doc.plan(), m_page->address());
    });
    connect(m_list, &CPropertyList::editEnded, this, &CUbrixVorelUbrix::commit);
    connect(m_list, &CPropertyList::comboSelected, this, &CUbrixVorelUbrix::commit);

    m_discover = new QGroupBox(QStringLiteral("Discover"), this);
    m_ubrixs = new QPushButton(QStringLiteral("Ubrixs"), m_discover);
    m_ubrixs->setObjectName(QStringLiteral("ubrixs"));
    m_ubrixs->setAutoDefault(false);
    auto* discover = new QHBoxLayout(m_discover);
    discover->addWidget(m_ubrixs);
    m_restart = new QPushButton(QStringLiteral("Restart"), this);
    m_restart->setObjectName(QStringLiteral("restart"));
    m_restart->setAutoDefault(false);
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("restartNote"));
    m_note->setReadOnly(true);
    connect(m_ubrixs, &QPushButton::clicked, this, &CUbrixVorelUbrix::OnUbrixRefresh);
    connect(m_restart, &QPushButton::clicked, this, &CUbrixVorelUbrix::OnUbrixReset);

    auto* actions = new QHBoxLayout;
    actions->addWidget(m_discover);
    actions->addWidget(m_restart, 0, Qt::AlignBottom);
    actions->addWidget(m_note, 1, Qt::AlignBottom);
    auto* right = new QVBoxLayout;
    right->addLayout(actions);
    right->addWidget(m_list, 1);
    auto* form = new QHBoxLayout(this);
    form->addWidget(m_tree);
    form->addLayout(right, 1);
}

// A note wider than its field shows its beginning, as one reads it, and all of it as a tip.
void CUbrixVorelUbrix::showNote(const QString& note) {
    m_note->setText(note);
    m_note->setCursorPosition(0);
    m_note->setToolTip(note);
}

void CUbrixVorelUbrix::OnInitialUpdate() {
    m_model.reset(CGatewayTreeModel::kLanRoot);
    m_note->clear();
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintGatewayAdded);
}

void CUbrixVorelUbrix::OnUpdate(quint32 hint) {
    try {
        if (hint == CUbrixVorelDoc::kHintRestructured) {
            rebuild();
        } else if ((hint & (CUbrixVorelDoc::kHintSettings | CUbrixVorelDoc::kHintGatewayAdded)) !=
                   0) {
            m_model.addMissing(m_context.doc.plan());
            followPage();
        }
    } catch (const CXmlError&) {
        logError("OnUpdate");
    }
}

void CUbrixVorelUbrix::rebuild() {
    // A whole plan was loaded: nothing of the old page belongs to it, and of the old tree
    // only what the new plan has again.
    m_list->clearRows();
    clearPage();
    m_model.rebuild(m_context.doc.plan());
}

void CUbrixVorelUbrix::clearPage() {
    m_page.reset();
    m_commit->pageCleared();
    m_list->setValueHeader(QString());
}

void CUbrixVorelUbrix::followPage() {
    if (!m_page || m_list->isEditing()) {
        return;
    }
    CGatewayPage page = CGatewayPage::list(m_context.doc.plan(),
                                           CValidationSchema(m_context.doc.schema()), m_pageItem);
    if (page.isListed() && page.rows() == m_page->rows()) {
        return;
    }
    m_list->setRows(page.rows());
    if (page.isListed()) {
        m_page = std::move(page);
        m_commit->pageListed();
    } else {
        clearPage();
    }
}

void CUbrixVorelUbrix::say(const QString& text) const {
    m_context.state.status.say(text);
}

void CUbrixVorelUbrix::OnNMClickTree2(const QModelIndex& index) {
    const CGatewayTreeItem* item = m_model.item(m_tree->toModel(index));
    if (item == nullptr) {
        return;
    }
    m_tree->setFocus();
    m_tree->setCurrentIndex(index);
    m_list->clearRows();
    clearPage();
    if (item->role() == CTreeItem::Role::Root) {
        showNote(CGatewayPage::restartNote(item->kind));
        return;
    }
    try {
        // Only a subsection lives under a section or port, whose label names the port.
        const CGatewayTreeItem* parent = item->parent();
        const QString parentLabel =
            parent->role() != CTreeItem::Role::Gateway && parent->role() != CTreeItem::Role::Root
                ? parent->label
                : QString();
        m_pageItem = {item->address, item->kind, item->label, parentLabel};
        CGatewayPage page = CGatewayPage::list(
            m_context.doc.plan(), CValidationSchema(m_context.doc.schema()), m_pageItem);
        showNote(page.restartNote());
        m_list->setValueHeader(page.header());
        m_list->setRows(page.rows());
        if (page.isListed()) {
            m_page = std::move(page);
            m_commit->pageListed();
        }
    } catch (const CXmlError&) {
        logError("OnNMClickTree2");
    }
}

void CUbrixVorelUbrix::commit(int row, int column) {
    m_commit->commit(row, column);
}

void CUbrixVorelUbrix::OnUbrixRefresh() {
    m_list->clearRows();
    clearPage();
    try {
        m_context.doc.clearGateways();
    } catch (const CXmlError&) {
        logError("OnUbrixRefresh");
        return;
    }
    m_model.reset(CGatewayTreeModel::kBusRoot);

    // The run belongs to the sequencer, not to this view: a view switch during the pause
    // after the probe does not lose the query, after the plan was already emptied.
    CBroadcastQuery::start(m_context.sequencer, QString::fromLatin1(kRefreshRun),
                           m_context.transport, m_context.doc.firewallSuspect(),
                           CCommands::gatewayFullQuery(),
                           messageWhileShown(CBroadcastQuery::kFirewallBlocked));
    say(QStringLiteral("Refresh: asked every gateway for its settings (%1 to all)")
            .arg(QString::fromLatin1(CCommands::gatewayFullQuery())));
}

void CUbrixVorelUbrix::OnUbrixReset() {
    m_list->clearRows();
    clearPage();
    const CGatewayTreeItem* item = m_model.item(m_tree->currentModelIndex());
    if (item == nullptr) {
        say(QStringLiteral("Restart: nothing sent, no gateway is selected."));
        return;
    }
    if (item->role() == CTreeItem::Role::Root) {
        say(QStringLiteral("Restart: nothing sent, select a gateway rather than the root."));
        return;
    }
    while (item->parent() != nullptr && item->role() != CTreeItem::Role::Gateway) {
        item = item->parent();
    }
    const quint32 address = item->address;
    const QString name = CGatewayName::of(m_context.doc.plan(), address);
    if (CDialogService::question(QString::fromLatin1(kConfirmRestart).arg(name), QMessageBox::No) !=
        QMessageBox::Yes) {
        say(QStringLiteral("Restart: nothing sent, %1 keeps running.").arg(name));
        return;
    }
    // Sent first: a gateway that was not told to restart keeps its settings in the plan.
    if (!m_context.transport.SendText(CCommands::gatewayRestart(), address)) {
        say(QStringLiteral("Restart: the command could not be sent to %1.").arg(name));
        return;
    }
    m_model.removeItem(item);
    try {
        m_context.doc.clearGatewaySettings(CIpv4Address::toDotted(address));
    } catch (const CXmlError&) {
        logError("OnUbrixReset");
    }
    say(QStringLiteral("Restart sent to %1.").arg(name));
    awaitReturn(address, name);
}

void CUbrixVorelUbrix::awaitReturn(quint32 address, const QString& name) {
    CTransport& transport = m_context.transport;
    const CUbrixVorelDoc& doc = m_context.doc;
    CStatusLine& status = m_context.state.status;
    CSequenceRun* run = m_context.sequencer.start(
        QStringLiteral("%1.%2").arg(QLatin1String(CGatewayReturn::kRunName),
                                    QString::fromLatin1(CIpv4Address::toDotted(address))),
        CGatewayReturn::steps(doc, address, [&transport](QByteArrayView text, quint32 to) {
            return transport.SendText(text, to);
        }));
    // The run and the status line outlive this view: the user may have moved on.
    connect(run, &CSequenceRun::finished, &m_context.sequencer,
            [&doc, &status, address, name](CSequenceRun::Outcome outcome) {
                if (outcome == CSequenceRun::Outcome::Stopped) {
                    return;
                }
                status.say(CGatewayReturn::isBack(doc, address)
                               ? QStringLiteral("%1 is back.").arg(name)
                               : QStringLiteral("%1 did not come back within %2 s.")
                                     .arg(name)
                                     .arg(CGatewayReturn::limitSeconds()));
            });
}

void CUbrixVorelUbrix::showPopup(const QPoint& position) {
    CPopupMenus::popup(vorel::cmd::kPopupGatewayView, this, m_tree->viewport(), position,
                       [this](int command) {
                           if (command == vorel::cmd::kUbrixRefresh) {
                               OnUbrixRefresh();
                           }
                       });
}

void CUbrixVorelUbrix::logError(const char* handler) const {
    m_context.doc.writeErrorLog(QByteArray("Error in CUbrixVorelUbrix::") + handler);
}
