#include "gui/views/CUbrixVorelTMap.h"

#include "core/bus/CBusCollection.h"
#include "core/bus/CBusPlan.h"
#include "core/bus/CPresetFile.h"
#include "core/common/CXPathNumber.h"
#include "core/common/CXPathQuery.h"
#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CGatewayName.h"
#include "core/plan/CPropertyRows.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CIpv4Address.h"
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
#include "gui/views/CConfigTree.h"
#include "gui/views/CValueCommit.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The status line at the end of a collection: how it ended, and what it asked again.
QString collectionEndLine(CSequenceRun::Outcome outcome, bool incomplete, int repeats) {
    switch (outcome) {
        case CSequenceRun::Outcome::Stopped:
            return QStringLiteral("Collect: stopped; what came before is in the plan.");
        case CSequenceRun::Outcome::Failed:
            return QStringLiteral("Collect: ended early, a query could not be sent.");
        case CSequenceRun::Outcome::Completed:
            break;
    }
    const QString again =
        repeats > 0 ? QStringLiteral(" (%1 query(s) asked again)").arg(repeats) : QString();
    return incomplete ? QStringLiteral(
                            "Collect: done, but some reports are incomplete%1: see "
                            "the message.")
                            .arg(again)
                      : QStringLiteral("Collect: done, every report is complete%1.").arg(again);
}

// The status line at the end of a preset upload.
QString presetEndLine(CSequenceRun::Outcome outcome, qsizetype presets, const QString& to) {
    switch (outcome) {
        case CSequenceRun::Outcome::Completed:
            return QStringLiteral("Upload CMS File: %1 preset(s) sent to %2.").arg(presets).arg(to);
        case CSequenceRun::Outcome::Stopped:
            return QStringLiteral("Upload CMS File: stopped before every preset was sent to %1.")
                .arg(to);
        case CSequenceRun::Outcome::Failed:
            break;
    }
    return QStringLiteral("Upload CMS File: a preset could not be sent to %1.").arg(to);
}

constexpr int kTreeWidth = 220;

QString runName(const char* name) {
    return QString::fromLatin1(name);
}

}  // namespace

CUbrixVorelTMap::CUbrixVorelTMap(const CViewContext& context, QWidget* parent)
    : CFormView(parent), m_context(context), m_sync(context.doc, m_model) {
    buildForm();
    // A collection started before this view was made goes on; this view shows it.
    attachCollection(m_context.sequencer.run(runName(CBusCollection::kRunName)));
}

CUbrixVorelTMap::~CUbrixVorelTMap() {
    // The tree is a widget of this view and outlives its members by a moment.
    m_tree->release();
}

QTreeView* CUbrixVorelTMap::tree() const {
    return m_tree;
}

void CUbrixVorelTMap::buildForm() {
    m_tree = new CConfigTree(m_model, CNodeKind::iconCount(CNodeKind::Tree::Bus), kRowHeight, this);
    m_tree->setFixedWidth(kTreeWidth);
    // New gateways and devices show at once below their parent, as they always have.
    m_tree->expandOnInsert({CTreeItem::Role::Root, CTreeItem::Role::Gateway});
    connect(m_tree, &QTreeView::clicked, this, &CUbrixVorelTMap::OnNMClickTree3);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, &CUbrixVorelTMap::showPopup);
    connect(&m_sync, &CBusTreeSync::synced, this, &CUbrixVorelTMap::selectAwaited);
    // The user chose another item: the device that comes back does not take it.
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    m_awaited.reset();
                }
            });

    m_list = new CPropertyList(this);
    // The page the list shows says where its values go, wherever the selection has moved;
    // a device always gets its values in upper case.
    m_commit = std::make_unique<CValueCommit>(
        *m_list, m_page,
        [this](const QByteArray& command) { return send(command, m_page->gatewayAddress); },
        &CValueValidator::busDeviceForm);
    m_commit->reportTo(m_context.state.status, [this] {
        return QStringLiteral("UID %1 behind %2")
            .arg(m_page->uid)
            .arg(gatewayName(m_page->gatewayAddress));
    });
    connect(m_list, &CPropertyList::editEnded, this, &CUbrixVorelTMap::commit);
    connect(m_list, &CPropertyList::comboSelected, this, &CUbrixVorelTMap::commit);

    auto makeButton = [](const char* caption, QWidget* parent) {
        auto* button = new QPushButton(QString::fromLatin1(caption), parent);
        button->setAutoDefault(false);
        return button;
    };
    auto* discover = new QGroupBox(QStringLiteral("Discover"), this);
    m_ubrixs = makeButton("Ubrixs", discover);
    m_devices = makeButton("Devices", discover);
    auto* discoverLayout = new QHBoxLayout(discover);
    discoverLayout->addWidget(m_ubrixs);
    discoverLayout->addWidget(m_devices);

    auto* uidGroup = new QGroupBox(QStringLiteral("UID"), this);
    m_set = makeButton("Set", uidGroup);
    m_uid = new QLineEdit(uidGroup);
    m_uid->setMaxLength(kUidFieldLength);
    m_uid->setMaximumWidth(70);
    auto* uidLayout = new QHBoxLayout(uidGroup);
    uidLayout->addWidget(m_set);
    uidLayout->addWidget(m_uid);

    auto* dataGroup = new QGroupBox(QStringLiteral("Data"), this);
    m_collect = makeButton("Collect", dataGroup);
    m_progress = new QProgressBar(dataGroup);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, CBusCollection::kProgressRange);
    m_stop = makeButton("Stop", dataGroup);
    auto* dataLayout = new QHBoxLayout(dataGroup);
    dataLayout->addWidget(m_collect);
    dataLayout->addWidget(m_progress, 1);
    dataLayout->addWidget(m_stop);

    connect(m_ubrixs, &QPushButton::clicked, this, &CUbrixVorelTMap::OnDiscover);
    connect(m_devices, &QPushButton::clicked, this, &CUbrixVorelTMap::OnRegister);
    connect(m_set, &QPushButton::clicked, this, &CUbrixVorelTMap::OnSetUid);
    // Enter in the field presses Set.
    connect(m_uid, &QLineEdit::returnPressed, this, &CUbrixVorelTMap::OnSetUid);
    connect(m_collect, &QPushButton::clicked, this, &CUbrixVorelTMap::OnCollect);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_collection) {
            m_collection->stop();
        }
    });

    auto* actions = new QHBoxLayout;
    actions->addWidget(discover);
    actions->addWidget(uidGroup);
    actions->addWidget(dataGroup, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(actions);
    right->addWidget(m_list, 1);
    auto* form = new QHBoxLayout(this);
    form->addWidget(m_tree);
    form->addLayout(right, 1);
}

void CUbrixVorelTMap::OnInitialUpdate() {
    if (!m_collection) {
        m_progress->hide();
        m_stop->hide();
    }
    m_uid->setText(QStringLiteral("1"));
    proposeUid(selection());
    m_tree->expandItem(m_model.root());
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintDeviceAnnounced);
}

void CUbrixVorelTMap::OnUpdate(quint32 hint) {
    if ((hint & CUbrixVorelDoc::kHintRestructured) != 0) {
        // A whole plan was loaded: nothing of the old tree or page belongs to it.
        m_list->clearRows();
        clearPage();
    }
    m_sync.documentUpdated(hint);
    if ((hint & (CUbrixVorelDoc::kHintSettings | CUbrixVorelDoc::kHintDeviceAnnounced)) != 0) {
        followPage();
    }
}

void CUbrixVorelTMap::followPage() {
    const CBusTreeItem* item = selection();
    if (item == nullptr || m_list->isEditing()) {
        return;
    }
    try {
        CBusPage page = CBusPage::forItem(m_context.doc.plan(), *item);
        if (page.action != CBusPage::Action::List) {
            return;
        }
        page.rows = CPropertyRows::list(page.element, CValidationSchema(m_context.doc.schema()),
                                        page.place);
        if (m_page && m_page->uid == page.uid && m_page->section == page.section &&
            m_page->rows == page.rows) {
            return;
        }
        m_list->setValueHeader(page.header);
        listPage(std::move(page));
    } catch (const CXmlError&) {
        logError("OnUpdate");
    }
}

void CUbrixVorelTMap::listPage(CBusPage page) {
    m_list->setRows(page.rows);
    page.element = {};  // the plan moves on; the page keeps only where values go
    m_page = std::move(page);
    m_commit->pageListed();
}

void CUbrixVorelTMap::proposeUid(const CBusTreeItem* item, const std::set<quint32>& alsoTaken) {
    const CBusTreeItem* gateway = item != nullptr ? item->gatewayItem() : nullptr;
    if (gateway == nullptr) {
        return;
    }
    if (const quint32 free =
            CBusPlan::lowestFreeUid(m_context.doc.plan(), gateway->gatewayText, alsoTaken)) {
        m_uid->setText(QString::number(free));
    }
}

void CUbrixVorelTMap::say(const QString& text) const {
    m_context.state.status.say(text);
}

void CUbrixVorelTMap::sayNothingSent(const char* action, const QString& why) const {
    say(QStringLiteral("%1: nothing sent, %2").arg(QLatin1String(action), why));
}

void CUbrixVorelTMap::saySent(const char* action, QByteArrayView command, bool sent,
                              const QString& to) const {
    const QString text = QString::fromLatin1(command.data(), command.size());
    say(sent ? QStringLiteral("%1: sent %2 to %3.").arg(QLatin1String(action), text, to)
             : QStringLiteral("%1: %2 could not be sent to %3.")
                   .arg(QLatin1String(action), text, to));
}

QString CUbrixVorelTMap::gatewayName(quint32 address) const {
    if (address == CIpv4Address::kBroadcast) {
        return QStringLiteral("every gateway");
    }
    return CGatewayName::of(m_context.doc.plan(), address);
}

QString CUbrixVorelTMap::deviceName(const CBusTreeItem& device) const {
    return QStringLiteral("%1 %2 behind %3")
        .arg(QString::fromLatin1(device.deviceAttribute))
        .arg(device.deviceNumber)
        .arg(gatewayName(device.gatewayAddress));
}

const CBusTreeItem* CUbrixVorelTMap::selection() const {
    return m_model.item(m_tree->currentModelIndex());
}

void CUbrixVorelTMap::select(const CBusTreeItem* item) {
    m_tree->setCurrentItem(item);
}

void CUbrixVorelTMap::awaitDevice(Awaited device) {
    m_awaited = std::move(device);
    selectAwaited();
}

void CUbrixVorelTMap::selectAwaited() {
    if (!m_awaited) {
        return;
    }
    if (const CBusTreeItem* device =
            m_model.device(m_awaited->gateway, m_awaited->attribute, m_awaited->number)) {
        select(device);
        // As a click on it: its settings are listed, or asked for when the plan has none.
        OnNMClickTree3(m_tree->currentIndex());
    }
}

void CUbrixVorelTMap::clearPage() {
    m_page.reset();
    m_commit->pageCleared();
    m_list->setValueHeader(QString());
}

void CUbrixVorelTMap::OnNMClickTree3(const QModelIndex& index) {
    m_list->setValueHeader(QString());
    const CBusTreeItem* item = m_model.item(m_tree->toModel(index));
    if (item == nullptr) {
        return;
    }
    m_tree->setFocus();
    m_tree->setCurrentIndex(index);
    m_list->clearRows();
    clearPage();
    try {
        CBusPage page = CBusPage::forItem(m_context.doc.plan(), *item);
        m_list->setValueHeader(page.header);
        switch (page.action) {
            case CBusPage::Action::Nothing:
                break;
            case CBusPage::Action::QueryDevice:
                send(CCommands::busDeviceQuery(page.uid), page.gatewayAddress);
                say(QStringLiteral("Asked UID %1 behind %2 for its settings.")
                        .arg(page.uid)
                        .arg(gatewayName(page.gatewayAddress)));
                break;
            case CBusPage::Action::NoType:
                logError("OnNMClickTree3");
                break;
            case CBusPage::Action::List:
                page.rows = CPropertyRows::list(
                    page.element, CValidationSchema(m_context.doc.schema()), page.place);
                listPage(std::move(page));
                break;
        }
    } catch (const CXmlError&) {
        logError("OnNMClickTree3");
    }
    proposeUid(item);
}

void CUbrixVorelTMap::commit(int row, int column) {
    m_commit->commit(row, column);
}

void CUbrixVorelTMap::OnDiscover() {
    m_list->clearRows();
    clearPage();
    m_model.reset();
    m_awaited.reset();
    m_tree->expandItem(m_model.root());
    // The run belongs to the sequencer: a view switch in the pause after the probe does
    // not lose the question.
    CBroadcastQuery::start(m_context.sequencer, runName(kDiscoveryRun), m_context.transport,
                           m_context.doc.firewallSuspect(), CCommands::gatewayNameQuery(),
                           messageWhileShown(CBroadcastQuery::kFirewallBlocked));
    say(QStringLiteral("Discovery: asked every gateway for its name (%1 to all).")
            .arg(QString::fromLatin1(CCommands::gatewayNameQuery())));
}

void CUbrixVorelTMap::OnRegister() {
    const CBusTreeItem* item = selection();
    const CBusTreeItem* gateway = item != nullptr ? item->gatewayItem() : nullptr;
    const quint32 address = gateway != nullptr ? gateway->gatewayAddress : CIpv4Address::kBroadcast;
    const bool sent = send(CCommands::busRegister(), address);
    saySent("Register", CCommands::busRegister(), sent, gatewayName(address));
}

void CUbrixVorelTMap::OnSetUid() {
    const QString typed = m_uid->text().left(kUidFieldLength);
    bool number = false;
    const uint uid = typed.toUInt(&number);
    if (!number || uid < 1 || uid > CBusPlan::kMaxUid) {
        sayNothingSent("Set", QStringLiteral("\"%1\" is not a UID (a number from 1 to %2).")
                                  .arg(typed)
                                  .arg(CBusPlan::kMaxUid));
        return;
    }
    const CBusTreeItem* item = selection();
    if (item == nullptr) {
        sayNothingSent("Set", QStringLiteral("nothing is selected."));
        CDialogService::message(QString::fromLatin1(kSelectFirst));
        return;
    }
    const auto uidNumber = static_cast<int>(uid);
    if (item->role() == CBusTreeItem::Role::Gateway) {
        const QString to = gatewayName(item->gatewayAddress);
        if (!confirmUid(uidNumber, *item)) {
            sayNothingSent("Set", QStringLiteral("UID %1 is taken behind %2.").arg(uid).arg(to));
            return;
        }
        const bool sent = send(CCommands::busAssignNext(uidNumber), item->gatewayAddress);
        saySent("Set", CCommands::busAssignNext(uidNumber), sent, to);
        if (sent) {
            CDialogService::message(QString::fromLatin1(kPressDiscovery));
        }
        return;
    }
    if (item->role() == CBusTreeItem::Role::Root) {
        sayNothingSent("Set", QStringLiteral("the root is selected: select a gateway or a "
                                             "device known by its serial number."));
        return;
    }
    const CBusTreeItem* device = item->deviceItem();
    if (item->role() != CBusTreeItem::Role::Device || !item->isSerialDevice()) {
        sayNothingSent("Set", QStringLiteral("%1 is addressed already: select a gateway or a "
                                             "device known by its serial number.")
                                  .arg(device != nullptr ? deviceName(*device) : item->label));
        return;
    }
    const CBusTreeItem* gateway = item->gatewayItem();
    const quint32 serial = item->deviceNumber;
    const QByteArray gatewayText = gateway->gatewayText;
    const QString to = gatewayName(gateway->gatewayAddress);
    // Sent first: a device that was not told its UID stays in the plan, the field as it is.
    if (!confirmUid(uidNumber, *gateway)) {
        sayNothingSent("Set", QStringLiteral("UID %1 is taken behind %2.").arg(uid).arg(to));
        return;
    }
    const QByteArray command = CCommands::busAssignSerial(serial, uidNumber);
    const bool sent = send(command, gateway->gatewayAddress);
    saySent("Set", command, sent, to);
    if (!sent) {
        return;
    }
    m_model.removeItem(item);
    m_context.doc.removeBusDevice(gatewayText, QByteArray::number(serial), "SN");
    m_list->clearRows();
    clearPage();
    // The device is out of the plan until it answers under its new UID.
    if (const quint32 free = CBusPlan::lowestFreeUid(m_context.doc.plan(), gatewayText, {uid})) {
        m_uid->setText(QString::number(free));
    }
    // The device answers under its new UID, and is the selection again.
    awaitDevice({gatewayText, "UID", static_cast<quint32>(uid)});
}

bool CUbrixVorelTMap::confirmUid(int uid, const CBusTreeItem& gateway) {
    CXPathQuery taken("/Plan/Network_Configuration/UBRIX[@IP = $ip]/DEVICE[@UID = $uid]",
                      {"ip", "uid"});
    taken.set("ip", gateway.gatewayText.toStdString());
    taken.set("uid", std::to_string(uid));
    if (!taken.first(m_context.doc.plan())) {
        return true;
    }
    return CDialogService::question(QString::fromLatin1(kConfirmDuplicateUid)
                                        .arg(uid)
                                        .arg(QString::fromLatin1(gateway.gatewayText)),
                                    QMessageBox::No) == QMessageBox::Yes;
}

void CUbrixVorelTMap::OnCollect() {
    if (m_collection) {
        return;
    }
    if (!CBusCollection::hasDevices(m_context.doc.plan())) {
        sayNothingSent("Collect", QStringLiteral("no bus devices are known yet (Devices, or "
                                                 "Refresh on a gateway, finds them)."));
        CDialogService::message(QString::fromLatin1(CBusCollection::kNoDevices));
        return;
    }
    say(
        QStringLiteral("Collect: asking every gateway and each of its devices for their "
                       "settings."));
    CTransport& transport = m_context.transport;
    CBusCollection::Options options;
    options.concurrent = m_context.settings.collectConcurrent != 0;
    options.retries = m_context.settings.retries;
    CSequenceRun* run =
        m_context.sequencer.start(runName(CBusCollection::kRunName),
                                  CBusCollection::lanes(
                                      m_context.doc,
                                      [&transport](QByteArrayView text, quint32 address) {
                                          return transport.SendText(text, address);
                                      },
                                      options),
                                  CBusCollection::pacingOf(m_context.settings.collectPacing));
    attachCollection(run);
}

void CUbrixVorelTMap::attachCollection(CSequenceRun* run) {
    if (run == nullptr || !run->isRunning()) {
        return;
    }
    m_collection = run;
    m_collect->setEnabled(false);
    m_progress->setValue(run->lastProgress());
    m_progress->show();
    m_stop->show();
    connect(run, &CSequenceRun::progress, m_progress, &QProgressBar::setValue);
    connect(run, &CSequenceRun::finished, this, &CUbrixVorelTMap::collectionEnded);
}

void CUbrixVorelTMap::collectionEnded(CSequenceRun::Outcome outcome) {
    const QString incomplete = m_collection ? m_collection->endMessage() : QString();
    const int repeats = m_collection ? m_collection->repeats() : 0;
    m_collection = nullptr;
    m_progress->hide();
    m_stop->hide();
    m_collect->setEnabled(true);
    say(collectionEndLine(outcome, !incomplete.isEmpty(), repeats));
    if (!incomplete.isEmpty()) {
        CDialogService::message(incomplete);
    }
}

void CUbrixVorelTMap::showPopup(const QPoint& position) {
    if (m_popup) {
        m_popup->close();
    }
    m_popup = CPopupMenus::create(vorel::cmd::kPopupBusView, this);
    m_popup->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_popup, &QMenu::triggered, this,
            [this](QAction* action) { OnCommand(action->data().toInt()); });
    m_popup->popup(m_tree->viewport()->mapToGlobal(position));
}

bool CUbrixVorelTMap::handlesCommand(int command) const {
    switch (command) {
        case vorel::cmd::kUploadCmsFile:
            // One upload at a time.
            return m_context.sequencer.run(runName(CPresetFile::kRunName)) == nullptr;
        case vorel::cmd::kTmapRefresh:
        case vorel::cmd::kTmapDelete:
        case vorel::cmd::kTmapIdentify:
        case vorel::cmd::kTmapUpdate:
        case vorel::cmd::kTmapReplace:
            return true;
        default:
            return false;
    }
}

void CUbrixVorelTMap::OnCommand(int command) {
    switch (command) {
        case vorel::cmd::kUploadCmsFile:
            OnUploadCmsFile();
            break;
        case vorel::cmd::kTmapRefresh:
            OnTmapRefresh();
            break;
        case vorel::cmd::kTmapDelete:
            OnTmapDelete();
            break;
        case vorel::cmd::kTmapIdentify:
            OnTmapIdentify();
            break;
        case vorel::cmd::kTmapUpdate:
            OnTmapUpdate();
            break;
        case vorel::cmd::kTmapReplace:
            OnTmapReplace();
            break;
        default:
            break;
    }
}

void CUbrixVorelTMap::OnTmapRefresh() {
    const CBusTreeItem* item = selection();
    if (item == nullptr) {
        sayNothingSent("Refresh", QStringLiteral("nothing is selected."));
        return;
    }
    if (item->role() == CBusTreeItem::Role::Root) {
        OnDiscover();
        return;
    }
    const CBusTreeItem* gateway = item->gatewayItem();
    const CBusTreeItem* device = item->deviceItem();
    if (device == nullptr) {
        const bool sent = send(CCommands::busRegister(), gateway->gatewayAddress);
        saySent("Refresh", CCommands::busRegister(), sent, gatewayName(gateway->gatewayAddress));
        return;
    }
    // A device known by its serial number is asked to announce itself again; one with a
    // UID for all its settings. Its answers rebuild it, so it goes once the question left.
    const QByteArray attribute = device->deviceAttribute;
    const quint32 number = device->deviceNumber;
    const QByteArray gatewayText = gateway->gatewayText;
    const QByteArray question =
        device->isSerialDevice() ? CCommands::busRegister() : CCommands::busDeviceQuery(number);
    const bool sent = send(question, gateway->gatewayAddress);
    saySent("Refresh", question, sent, gatewayName(gateway->gatewayAddress));
    if (sent) {
        m_list->clearRows();
        clearPage();
        deleteDevice(attribute, number);
        awaitDevice({gatewayText, attribute, number});
    }
}

void CUbrixVorelTMap::OnTmapDelete() {
    m_list->clearRows();
    clearPage();
    const CBusTreeItem* item = selection();
    try {
        if (item == nullptr || item->role() == CBusTreeItem::Role::Root) {
            // Nothing is saved automatically: emptying the whole map is asked first.
            if (CDialogService::message(QString::fromLatin1(kConfirmDeleteAll),
                                        QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
                m_context.doc.clearAll();
                m_model.reset();
                m_awaited.reset();
                say(
                    QStringLiteral("Delete: every gateway and device left the map; nothing was "
                                   "sent."));
            } else {
                say(QStringLiteral("Delete: the map is kept."));
            }
        } else if (item->role() == CBusTreeItem::Role::Gateway) {
            const QByteArray address = item->gatewayText;
            const QString name = gatewayName(item->gatewayAddress);
            m_model.removeItem(item);
            m_context.doc.removeGateway(address);
            say(QStringLiteral("Delete: %1 left the map with its devices; nothing was sent.")
                    .arg(name));
        } else {
            const CBusTreeItem* device = item->deviceItem();
            const QString name = deviceName(*device);
            deleteDevice(device->deviceAttribute, device->deviceNumber);
            say(QStringLiteral("Delete: %1 left the map; nothing was sent.").arg(name));
        }
    } catch (const CXmlError&) {
        logError("OnTmapDelete");
    }
}

void CUbrixVorelTMap::deleteDevice(QByteArrayView attribute, quint32 number) {
    const QByteArray name = attribute.toByteArray();
    for (int row = 0; row < m_model.root()->childCount(); ++row) {
        m_model.removeItem(m_model.device(m_model.root()->child(row)->gatewayText, name, number));
    }
    m_context.doc.removeDevice(name, number);
}

void CUbrixVorelTMap::OnTmapIdentify() {
    const CBusTreeItem* item = selection();
    if (item == nullptr) {
        sayNothingSent("Identify", QStringLiteral("nothing is selected."));
        return;
    }
    if (item->role() == CBusTreeItem::Role::Root) {
        sayNothingSent("Identify", QStringLiteral("the root is selected: select a gateway or a "
                                                  "device."));
        return;
    }
    const CBusTreeItem* device = item->deviceItem();
    QByteArray command;
    if (device == nullptr) {
        command = CCommands::gatewayIdentify();
    } else if (device->isSerialDevice()) {
        command = CCommands::busIdentifySerial(device->deviceNumber);
    } else {
        command = CCommands::busIdentifyUid(device->deviceNumber);
    }
    const quint32 address = device == nullptr ? item->gatewayAddress : device->gatewayAddress;
    saySent("Identify", command, send(command, address), gatewayName(address));
}

void CUbrixVorelTMap::OnTmapUpdate() {
    const CBusTreeItem* item = selection();
    const std::optional<QStringList> arguments =
        item != nullptr ? CFirmwareUpdater::argumentsFor(*item) : std::nullopt;
    if (!arguments) {
        return;
    }
    CProcessLauncher launcher;
    const QString& program = m_context.settings.updaterProgram;
    const QString failure =
        CFirmwareUpdater::message(CFirmwareUpdater::launch(launcher, program, *arguments), program);
    if (!failure.isEmpty()) {
        CDialogService::message(failure);
    }
}

// A device of the map, by its UID: a new one takes its place and its settings.
void CUbrixVorelTMap::OnTmapReplace() {
    const CBusTreeItem* item = selection();
    const CBusTreeItem* device = item != nullptr ? item->deviceItem() : nullptr;
    if (device == nullptr || device->isSerialDevice()) {
        CDialogService::message(QString::fromLatin1(kSelectDevice));
        return;
    }
    CReplaceDeviceDlg::open(m_context, device->gatewayAddress,
                            static_cast<int>(device->deviceNumber), this);
}

void CUbrixVorelTMap::OnUploadCmsFile() {
    m_tree->setFocus();
    const CBusTreeItem* item = selection();
    const CBusTreeItem* device = item != nullptr ? item->deviceItem() : nullptr;
    if (device == nullptr || item->role() != CBusTreeItem::Role::Section ||
        item->kind != CNodeKind::kLed || device->isSerialDevice()) {
        sayNothingSent("Upload CMS File", QStringLiteral("select the LED section of a device "
                                                         "with a UID."));
        CDialogService::message(QString::fromLatin1(kSelectLed));
        return;
    }
    const QString to = deviceName(*device);
    const quint32 uid = device->deviceNumber;
    const quint32 gateway = device->gatewayAddress;
    const QString path = CDialogService::openFileName(QString(), QString(),
                                                      QString::fromLatin1(CPresetFile::kFilter));
    if (path.isEmpty()) {
        sayNothingSent("Upload CMS File", QStringLiteral("no file was chosen."));
        return;
    }
    const CPresetFile::Contents contents = CPresetFile::read(path);
    if (!contents.ok()) {
        sayNothingSent("Upload CMS File", QStringLiteral("the file was refused."));
        CDialogService::message(contents.error);
        return;
    }
    say(QStringLiteral("Upload CMS File: sending %1 preset(s) to %2.")
            .arg(contents.presets.size())
            .arg(to));
    CTransport& transport = m_context.transport;
    CSequenceRun* run = m_context.sequencer.start(
        runName(CPresetFile::kRunName),
        CPresetFile::steps(contents.presets, uid, gateway,
                           [&transport](QByteArrayView text, quint32 address) {
                               return transport.SendText(text, address);
                           }),
        CPacing::Fixed);
    CStatusLine& status = m_context.state.status;
    const auto tellOutcome = [&status, presets = contents.presets.size(),
                              to](CSequenceRun::Outcome outcome) {
        status.say(presetEndLine(outcome, presets, to));
        if (outcome == CSequenceRun::Outcome::Completed) {
            CDialogService::message(QString::fromLatin1(CPresetFile::kComplete));
        }
    };
    // An empty file is over at once; otherwise the user is told even when he has moved to
    // another view meanwhile.
    if (run->outcome()) {
        tellOutcome(*run->outcome());
    } else {
        connect(run, &CSequenceRun::finished, &m_context.sequencer, tellOutcome);
    }
}

bool CUbrixVorelTMap::send(QByteArrayView text, quint32 address) {
    return m_context.transport.SendText(text, address);
}

void CUbrixVorelTMap::logError(const char* handler) const {
    m_context.doc.writeErrorLog(QByteArray("Error in CUbrixVorelTMap::") + handler);
}
