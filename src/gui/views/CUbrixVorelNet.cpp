#include "gui/views/CUbrixVorelNet.h"

#include "core/lan/CLanScanner.h"
#include "core/transport/CTransport.h"
#include "gui/views/CLanScanModel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

CUbrixVorelNet::CUbrixVorelNet(std::unique_ptr<CLanScanner> scanner, AddressSource adapterAddress,
                               QWidget* parent)
    : CFormView(parent),
      m_scanner(std::move(scanner)),
      m_adapterAddress(std::move(adapterAddress)) {
    buildForm();
    OnInitialUpdate();
    connect(m_rescan, &QPushButton::clicked, this, &CUbrixVorelNet::OnBnClickedRescan);
    connect(m_scanner.get(), &CLanScanner::rowsFound, m_model, &CLanScanModel::appendRows);
    connect(m_scanner.get(), &CLanScanner::progressChanged, this, &CUbrixVorelNet::onProgress);
    connect(m_scanner.get(), &CLanScanner::statusChanged, m_status, &QLineEdit::setText);
    connect(m_scanner.get(), &CLanScanner::finished, this, &CUbrixVorelNet::onFinished);
}

CUbrixVorelNet::~CUbrixVorelNet() {
    m_list->viewport()->removeEventFilter(this);
    m_scanner->stop();
}

CUbrixVorelNet* CUbrixVorelNet::create(const CTransport& transport, QWidget* parent) {
    return create(CLanScanner::forThisMachine(), transport, parent);
}

CUbrixVorelNet* CUbrixVorelNet::create(std::unique_ptr<CLanScanner> scanner,
                                       const CTransport& transport, QWidget* parent) {
    return new CUbrixVorelNet(
        std::move(scanner), [&transport] { return transport.adapters().selectedEntry().address; },
        parent);
}

void CUbrixVorelNet::buildForm() {
    m_rescan = new QPushButton(QStringLiteral("Rescan"), this);
    m_rescan->setObjectName(QStringLiteral("rescan"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_status = new QLineEdit(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setReadOnly(true);
    m_model = new CLanScanModel(this);
    m_model->setObjectName(QStringLiteral("scanModel"));
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("scan"));
    m_list->setModel(m_model);
    m_list->viewport()->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_rescan);
    top->addWidget(m_progress, 1);
    auto* form = new QVBoxLayout(this);
    form->addLayout(top);
    form->addWidget(m_status);
    form->addWidget(m_list, 1);
}

void CUbrixVorelNet::OnInitialUpdate() {
    resetProgress();
    setUpList();
}

void CUbrixVorelNet::OnUpdate(quint32 hint) {
    Q_UNUSED(hint);  // the scan list does not show the document
}

void CUbrixVorelNet::resetProgress() {
    m_progress->setRange(0, kProgressMaximum);
    m_progress->setValue(0);
}

void CUbrixVorelNet::setUpList() {
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    QHeaderView* header = m_list->horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->resizeSection(CLanScanModel::kNumber, kNumberWidth);
    header->resizeSection(CLanScanModel::kAddress, kAddressWidth);
    header->resizeSection(CLanScanModel::kMac, kMacWidth);
    fitNameColumn();
}

void CUbrixVorelNet::fitNameColumn() {
    // "NAME" takes what the first three columns leave of the list's width.
    const QHeaderView* header = m_list->horizontalHeader();
    const int used = header->sectionSize(CLanScanModel::kNumber) +
                     header->sectionSize(CLanScanModel::kAddress) +
                     header->sectionSize(CLanScanModel::kMac);
    m_list->horizontalHeader()->resizeSection(CLanScanModel::kName,
                                              std::max(0, m_list->viewport()->width() - used));
}

void CUbrixVorelNet::OnBnClickedRescan() {
    m_progress->show();
    resetProgress();
    m_scanner->stop();
    m_model->clear();
    m_scanner->start(m_adapterAddress());
}

void CUbrixVorelNet::onProgress(int position) {
    m_progress->setValue(position);
    fitNameColumn();
}

void CUbrixVorelNet::onFinished() {
    m_progress->hide();
}

bool CUbrixVorelNet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        fitNameColumn();
    }
    return CFormView::eventFilter(watched, event);
}
