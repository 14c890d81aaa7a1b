#include "gui/views/CUbrixVorelView.h"

#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CTrafficExport.h"
#include "core/settings/CSettings.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CPopupMenus.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/MyEdit.h"
#include "gui/views/CTrafficListModel.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>

namespace {

constexpr int kMargin = 7;
constexpr char kExportFilter[] = "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv||";

QString sendCaption(int mode) {
    switch (mode) {
        case CTransport::kModeUdp:
            return QStringLiteral("Send UDP");
        case CTransport::kModeTcp:
            return QStringLiteral("Send TCP");
        default:
            return QStringLiteral("Send");
    }
}

}  // namespace

CUbrixVorelView::CUbrixVorelView(const CViewContext& context, QWidget* parent)
    : CFormView(parent), m_context(context) {
    m_header = buildHeader();
    m_model = new CTrafficListModel(m_context.doc.trafficSession(), this);
    m_model->setObjectName(QStringLiteral("trafficModel"));
    m_traffic = new QListView(this);
    m_traffic->setObjectName(QStringLiteral("traffic"));
    m_traffic->setModel(m_model);
    m_traffic->setUniformItemSizes(true);
    m_traffic->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_traffic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_traffic->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_traffic, &QListView::customContextMenuRequested, this,
            [this](const QPoint& at) { showPopup(vorel::cmd::kPopupTrafficList, m_traffic, at); });
    connect(m_model, &CTrafficListModel::linesAppended, m_traffic, &QListView::scrollToBottom);
    auto* copy = new QAction(m_traffic);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_traffic->addAction(copy);
    connect(copy, &QAction::triggered, this, &CUbrixVorelView::OnCopyLines);
    m_tools = buildTrafficTools();
    setMinimumSize(m_header->minimumSizeHint().width() + 2 * kMargin,
                   m_header->sizeHint().height() + m_tools->sizeHint().height() + 3 * kMargin + 60);
}

CUbrixVorelView::~CUbrixVorelView() = default;

QWidget* CUbrixVorelView::buildHeader() {
    auto* header = new QWidget(this);
    m_thisComputer = new QLineEdit(header);
    m_thisComputer->setObjectName(QStringLiteral("thisComputer"));
    m_thisComputer->setReadOnly(true);
    m_nic = new QLineEdit(header);
    m_nic->setObjectName(QStringLiteral("nic"));
    m_nic->setReadOnly(true);
    m_gateways = new QListWidget(header);
    m_gateways->setObjectName(QStringLiteral("gateways"));
    m_gateways->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_gateways, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showPopup(vorel::cmd::kPopupGatewayList, m_gateways, at); });

    m_sendGroup = new QGroupBox(QStringLiteral("Send"), header);
    m_sendGroup->setObjectName(QStringLiteral("sendGroup"));
    m_destinations = new QComboBox(m_sendGroup);
    m_destinations->setObjectName(QStringLiteral("destinations"));
    m_destinations->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_destinations->setMinimumContentsLength(16);
    m_message = new MyEdit(m_sendGroup);
    m_message->setObjectName(QStringLiteral("message"));
    m_send = new QPushButton(QStringLiteral("Send"), m_sendGroup);
    m_send->setObjectName(QStringLiteral("send"));
    m_send->setAutoDefault(false);
    auto* sendRow = new QHBoxLayout(m_sendGroup);
    sendRow->addWidget(m_destinations);
    sendRow->addWidget(new QLabel(QStringLiteral("Message"), m_sendGroup));
    sendRow->addWidget(m_message, 1);
    sendRow->addWidget(m_send);

    // The user's choice of destination is remembered; the view's own re-selections are not.
    connect(m_destinations, &QComboBox::activated, this,
            [this](int index) { m_remembered = m_destinations->itemText(index); });
    connect(m_send, &QPushButton::clicked, this, &CUbrixVorelView::OnViewSend);
    // Enter posts the send, so it runs after the key has been handled.
    connect(m_message, &MyEdit::sendRequested, this, &CUbrixVorelView::OnViewSend,
            Qt::QueuedConnection);

    auto* grid = new QGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("This computer"), header), 0, 0);
    grid->addWidget(m_thisComputer, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("NIC"), header), 1, 0);
    grid->addWidget(m_nic, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ubrixs Found"), header), 0, 2);
    grid->addWidget(m_gateways, 1, 2, 3, 1);
    grid->addWidget(m_sendGroup, 2, 0, 2, 2);
    grid->setColumnStretch(1, 1);
    m_gateways->setFixedWidth(m_gateways->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
    m_gateways->setMaximumHeight(m_sendGroup->sizeHint().height() + m_nic->sizeHint().height());
    return header;
}

// A row under the header: the filter, Pause, and Find. The list's own controls stay as
// they were; these only change what it shows and when.
QWidget* CUbrixVorelView::buildTrafficTools() {
    auto* tools = new QWidget(this);
    m_filter = new QLineEdit(tools);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(QStringLiteral("sender or text"));
    m_pause = new QPushButton(QStringLiteral("Pause"), tools);
    m_pause->setObjectName(QStringLiteral("pause"));
    m_pause->setCheckable(true);
    m_pause->setAutoDefault(false);
    m_find = new QLineEdit(tools);
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setClearButtonEnabled(true);
    m_findNext = new QPushButton(QStringLiteral("Find next"), tools);
    m_findNext->setObjectName(QStringLiteral("findNext"));
    m_findNext->setAutoDefault(false);
    m_findPrevious = new QPushButton(QStringLiteral("Find previous"), tools);
    m_findPrevious->setObjectName(QStringLiteral("findPrevious"));
    m_findPrevious->setAutoDefault(false);

    auto* row = new QHBoxLayout(tools);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Filter"), tools));
    row->addWidget(m_filter, 1);
    row->addWidget(m_pause);
    row->addSpacing(kMargin);
    row->addWidget(new QLabel(QStringLiteral("Find"), tools));
    row->addWidget(m_find, 1);
    row->addWidget(m_findNext);
    row->addWidget(m_findPrevious);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setFilter(text);
        m_traffic->scrollToBottom();
    });
    connect(m_pause, &QPushButton::toggled, this, &CUbrixVorelView::OnPauseToggled);
    connect(m_findNext, &QPushButton::clicked, this, [this] { OnFind(true); });
    connect(m_findPrevious, &QPushButton::clicked, this, [this] { OnFind(false); });
    connect(m_find, &QLineEdit::returnPressed, this, [this] { OnFind(true); });
    return tools;
}

void CUbrixVorelView::OnInitialUpdate() {
    OnUpdate(CUbrixVorelDoc::kHintNone);
    fillThisComputer();
    m_destinations->setCurrentIndex(m_destinations->count() > 0 ? 0 : -1);
    m_remembered.clear();
    m_model->reload();
    m_traffic->scrollToBottom();
}

void CUbrixVorelView::OnUpdate(quint32 hint) {
    if (hint == CUbrixVorelDoc::kHintTrafficLine) {
        appendNewestLine();
        return;
    }
    followRendering();
    m_sendGroup->setTitle(sendCaption(m_context.transport.mode()));
    m_nic->setText(m_context.transport.adapters().selectedEntry().name);
    rebuildLists();
}

// Lines keep the form they were shown in; the view options apply to those that follow.
void CUbrixVorelView::followRendering() {
    m_model->setRendering(m_context.settings.showTime != 0, m_context.settings.showIp != 0);
}

void CUbrixVorelView::appendNewestLine() {
    m_model->appendNewest();
}

bool CUbrixVorelView::handlesCommand(int command) const {
    return command == vorel::cmd::kExportTraffic;
}

void CUbrixVorelView::OnCommand(int command) {
    if (command == vorel::cmd::kExportTraffic) {
        OnExportTraffic();
    }
}

void CUbrixVorelView::showPaused(bool paused) {
    const QSignalBlocker quiet(m_pause);
    m_pause->setChecked(paused);
    m_pause->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void CUbrixVorelView::OnPauseToggled(bool paused) {
    showPaused(paused);
    m_model->setPaused(paused);
    if (!paused) {
        m_traffic->scrollToBottom();
    }
}

void CUbrixVorelView::OnFind(bool forward) {
    const QModelIndex current = m_traffic->currentIndex();
    const int row = m_model->find(m_find->text(), current.isValid() ? current.row() : -1, forward);
    // A line older than the list holds the list on the part of the session around it.
    showPaused(m_model->isPaused());
    if (row < 0) {
        // The line found before is not what was asked for now.
        m_traffic->selectionModel()->clear();
        m_context.state.status.say(
            QStringLiteral("Find: no line holds \"%1\".").arg(m_find->text()));
        return;
    }
    const QModelIndex found = m_model->index(row);
    m_traffic->setCurrentIndex(found);
    m_traffic->scrollTo(found);
}

void CUbrixVorelView::OnCopyLines() {
    QModelIndexList selected = m_traffic->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex& index : std::as_const(selected)) {
        lines.append(index.data().toString());
    }
    if (!lines.isEmpty()) {
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
}

// The session's lines that pass the filter, as the list would show them now; a name ending
// in .csv gives columns.
void CUbrixVorelView::OnExportTraffic() {
    const QString path = CDialogService::saveFileName(QStringLiteral("txt"), QString(),
                                                      QString::fromLatin1(kExportFilter),
                                                      CDialogService::OverwritePrompt::Yes);
    if (path.isEmpty()) {
        return;
    }
    const QByteArray content = CTrafficExport::formatFor(path) == CTrafficExport::Format::Csv
                                   ? CTrafficExport::csv(m_model->sessionLines())
                                   : CTrafficExport::text(m_model->sessionShownLines());
    const QString error = CTrafficExport::save(path, content);
    if (!error.isEmpty()) {
        CDialogService::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
    }
}

void CUbrixVorelView::rebuildLists() {
    const QList<CDestinationList::Gateway> gateways =
        CDestinationList::gatewaysOf(m_context.doc.plan());
    m_gateways->clear();
    m_gateways->addItems(CDestinationList::sortedNames(gateways));

    const QList<CDestinationList::Entry> entries = CDestinationList::build(
        m_context.transport.mode(), m_context.transport.defaultIp(), gateways);
    m_destinations->clear();
    for (const CDestinationList::Entry& entry : entries) {
        m_destinations->addItem(entry.text, entry.address);
    }
    m_destinations->setCurrentIndex(CDestinationList::selectionFor(entries, m_remembered));
}

void CUbrixVorelView::fillThisComputer() {
    const QString host = QHostInfo::localHostName();
    if (host.isEmpty()) {
        return;
    }
    const quint32 address = m_context.transport.adapters().selectedEntry().address;
    m_thisComputer->setText(
        QStringLiteral("%1 (%2)").arg(host, QString::fromLatin1(CIpv4Address::toDotted(address))));
}

void CUbrixVorelView::OnViewSend() {
    const int chosen = m_destinations->currentIndex();
    m_remembered = m_destinations->currentText();
    // No destination to choose from (USB mode, or TCP without a default gateway and
    // without gateways): the command is broadcast.
    const quint32 address =
        chosen >= 0 ? m_destinations->itemData(chosen).toUInt() : CIpv4Address::kBroadcast;
    QByteArray text = m_message->text().toLatin1();
    text.append('\r');
    m_context.transport.SendText(text, address);
}

void CUbrixVorelView::OnTrafficClear() {
    m_model->clear();
    m_context.doc.clearTrafficHistory();
}

void CUbrixVorelView::OnGatewaysRefresh() {
    m_gateways->clear();
    try {
        m_context.doc.clearGateways();
    } catch (const CXmlError&) {
        m_context.doc.writeErrorLog("Error in CUbrixVorelView::OnGatewaysRefresh");
    }
    // Even in TCP mode: every gateway has to hear it.
    m_context.transport.SendUdp(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast,
                                m_context.transport.sendPort());
}

void CUbrixVorelView::showPopup(int resource, QWidget* owner, const QPoint& position) {
    CPopupMenus::popup(resource, this, owner, position,
                       [this](int command) { onPopupCommand(command); });
}

void CUbrixVorelView::onPopupCommand(int command) {
    if (command == vorel::cmd::kTrafficClear) {
        OnTrafficClear();
    } else if (command == vorel::cmd::kGatewaysRefresh) {
        OnGatewaysRefresh();
    }
}

void CUbrixVorelView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    layoutTrafficList();
}

void CUbrixVorelView::layoutTrafficList() {
    const QSize header = m_header->sizeHint();
    m_header->setGeometry(kMargin, kMargin, width() - 2 * kMargin, header.height());
    const int toolsTop = kMargin + header.height() + kMargin;
    const int toolsHeight = m_tools->sizeHint().height();
    m_tools->setGeometry(kMargin, toolsTop, qMax(0, width() - kRightGap - kMargin), toolsHeight);
    // The list keeps its top-left corner and follows the right and bottom edges.
    const QPoint topLeft(kMargin, toolsTop + toolsHeight + kMargin);
    m_traffic->setGeometry(topLeft.x(), topLeft.y(), qMax(0, width() - kRightGap - topLeft.x()),
                           qMax(0, height() - kBottomGap - topLeft.y()));
}
