#include "gui/views/CUbrixVorelMap.h"

#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CModelTemplateFolder.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectLookup.h"
#include "core/tree/CNodeKind.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CPopupMenus.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CConfigTree.h"
#include "gui/views/CMapLabelDelegate.h"
#include "gui/views/CTemplateAdd.h"

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScopedValueRollback>

namespace {

constexpr int kMargin = 12;
constexpr int kTop = 40;
constexpr int kTreeWidth = 200;
constexpr int kListLeft = kMargin + kTreeWidth + kMargin;
// A combo cell's drop-down list shows this many rows.
constexpr int kComboRows = 4;
// What the resize rules keep free right of the property list and below both.
constexpr int kRightGap = 24;
constexpr int kBottomGap = 17;

}  // namespace

CUbrixVorelMap::CUbrixVorelMap(const CViewContext& context, UploadStarter upload, QWidget* parent)
    : CFormView(parent), m_context(context), m_startUpload(std::move(upload)) {
    buildForm();
    connectForm();
}

CUbrixVorelMap::~CUbrixVorelMap() {
    m_tree->release();
}

void CUbrixVorelMap::buildForm() {
    setObjectName(QStringLiteral("form%1").arg(kForm));
    m_devices = new QRadioButton(QStringLiteral("Devices"), this);
    m_ubrix = new QRadioButton(QStringLiteral("Ubrix"), this);
    m_modes = new QButtonGroup(this);
    m_modes->addButton(m_devices, CProjectTreeModel::kDeviceMode);
    m_modes->addButton(m_ubrix, CProjectTreeModel::kGatewayMode);
    m_add = new QPushButton(QStringLiteral("Add"), this);
    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_upload = new QPushButton(QStringLiteral("UpLoad"), this);
    m_fileName = new QLineEdit(this);
    m_fileName->setReadOnly(true);
    m_devices->setObjectName(QStringLiteral("devices"));
    m_ubrix->setObjectName(QStringLiteral("ubrix"));
    m_add->setObjectName(QStringLiteral("add"));
    m_copy->setObjectName(QStringLiteral("copy"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_upload->setObjectName(QStringLiteral("upload"));
    m_fileName->setObjectName(QStringLiteral("fileName"));

    m_devices->setGeometry(kMargin, 8, 76, 22);
    m_ubrix->setGeometry(92, 8, 64, 22);
    m_add->setGeometry(164, 6, 60, 24);
    m_copy->setGeometry(230, 6, 60, 24);
    m_delete->setGeometry(296, 6, 60, 24);
    m_upload->setGeometry(362, 6, 64, 24);
    m_fileName->setGeometry(436, 7, 200, 22);

    m_tree =
        new CConfigTree(m_model, CNodeKind::iconCount(CNodeKind::Tree::Project), kRowHeight, this);
    // A device joining the project shows at once.
    m_tree->expandOnInsert({CTreeItem::Role::Root});
    m_tree->setItemDelegate(new CMapLabelDelegate(m_tree));
    m_tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setGeometry(kMargin, kTop, kTreeWidth, 300);
    m_tree->setObjectName(QStringLiteral("tree"));

    m_list = new CPropertyList(this);
    m_list->setObjectName(QStringLiteral("properties"));
    m_list->setComboRows(kComboRows);
    m_list->setGeometry(kListLeft, kTop, 400, 300);

    m_menu = CPopupMenus::create(vorel::cmd::kPopupDeviceMap, this);
    m_menu->setObjectName(QString::fromLatin1(CPopupMenus::kOpenName));
}

void CUbrixVorelMap::connectForm() {
    connect(m_devices, &QRadioButton::clicked, this,
            [this] { selectMode(CProjectTreeModel::kDeviceMode); });
    connect(m_ubrix, &QRadioButton::clicked, this,
            [this] { selectMode(CProjectTreeModel::kGatewayMode); });
    connect(m_add, &QPushButton::clicked, this, &CUbrixVorelMap::OnBnClickedButtonAdd);
    connect(m_copy, &QPushButton::clicked, this, &CUbrixVorelMap::OnBnClickedButtonCopy);
    connect(m_delete, &QPushButton::clicked, this, &CUbrixVorelMap::OnBnClickedButtonDelete);
    connect(m_upload, &QPushButton::clicked, this, &CUbrixVorelMap::OnBnClickedButtonUpload);
    connect(m_tree, &QTreeView::clicked, this, &CUbrixVorelMap::OnNMClickTree1);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, &CUbrixVorelMap::onContextMenu);
    connect(CPopupMenus::action(m_menu, vorel::cmd::kMapDelete), &QAction::triggered, this,
            &CUbrixVorelMap::OnBnClickedButtonDelete);
    connect(CPopupMenus::action(m_menu, vorel::cmd::kMapChangeAddress), &QAction::triggered, this,
            &CUbrixVorelMap::OnMapChangeAddress);
    connect(m_list, &CPropertyList::editEnded, this, &CUbrixVorelMap::OnListEditEnd);
    connect(m_list, &CPropertyList::comboSelected, this, &CUbrixVorelMap::OnListEditEnd);
    auto* labels = static_cast<CMapLabelDelegate*>(m_tree->itemDelegate());
    connect(labels, &CMapLabelDelegate::addressTyped, this, &CUbrixVorelMap::onAddressTyped);
    connect(&m_context.doc, &CUbrixVorelDoc::templateChanged, this,
            &CUbrixVorelMap::onTemplateChanged);
}

void CUbrixVorelMap::OnInitialUpdate() {
    const int mode = m_context.state.mapMode;
    m_devices->setChecked(mode == CProjectTreeModel::kDeviceMode);
    m_ubrix->setChecked(mode == CProjectTreeModel::kGatewayMode);
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintRestructured);
}

void CUbrixVorelMap::selectMode(int mode) {
    if (m_context.state.mapMode == mode) {
        return;
    }
    m_context.state.mapMode = mode;
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintRestructured);
}

void CUbrixVorelMap::OnUpdate(quint32 hint) {
    if (m_readdressing) {
        return;
    }
    m_fileName->setText(QFileInfo(m_context.doc.templatePath()).fileName());
    try {
        rebuildTree(hint);
    } catch (const CXmlError&) {
        logError("OnUpdate()");
    }
    updateCommands();
}

// A rebuild brings the tree to the project: the items that stay keep their place, so the
// tree stays open and selected where it was.
void CUbrixVorelMap::rebuildTree(quint32 hint) {
    const int mode = m_context.state.mapMode;
    const pugi::xml_document* project = m_context.doc.templateDocument();
    if ((hint & CUbrixVorelDoc::kHintRestructured) != 0) {
        m_list->clearRows();
        m_listed.reset();
        m_model.rebuild(m_context.doc.hasTemplate() ? project : nullptr, mode);
    } else if ((hint & (CUbrixVorelDoc::kHintDeviceAnnounced | CUbrixVorelDoc::kHintSettings)) !=
                   0 &&
               m_context.doc.hasTemplate()) {
        m_model.addMissing(*project, mode);
    } else {
        return;
    }
    selectAnnounced(hint);
}

void CUbrixVorelMap::selectAnnounced(quint32 hint) {
    if (m_context.state.mapMode != CProjectTreeModel::kDeviceMode ||
        (hint & CUbrixVorelDoc::kHintDeviceAnnounced) == 0) {
        return;
    }
    if (const CProjectTreeItem* device = m_model.deviceNumbered(hint >> 16)) {
        m_tree->setCurrentItem(device);
    }
}

void CUbrixVorelMap::OnNMClickTree1(const QModelIndex& index) {
    const CProjectTreeItem* item = m_model.item(m_tree->toModel(index));
    if (item == nullptr) {
        return;
    }
    m_tree->setFocus();
    m_tree->setCurrentIndex(index);
    m_list->clearRows();
    m_listed.reset();
    if (item->role() == CTreeItem::Role::Root || !m_context.doc.hasTemplate()) {
        return;
    }
    try {
        listPage(item->place);
    } catch (const CXmlError&) {
        logError("OnNMClickTree1()");
    }
}

// The settings of the place's section; the schema entry of each is looked up with the
// section's port and group in the entry of the device's TYPE. A device without TYPE lists
// every setting grey and read-only.
void CUbrixVorelMap::listPage(const CProjectPlace& place) {
    const pugi::xml_document& project = *m_context.doc.templateDocument();
    const pugi::xml_node section = CProjectLookup::section(project, place);
    if (!section) {
        throw CXmlError("the tree names a section the project does not hold");
    }
    const CSchemaPlace schemaPlace{
        CProjectLookup::typeOf(CProjectLookup::find(project, place.device)), place.port(),
        place.group()};
    CPropertyRows::Options options;
    options.notAnOptionRgb = CPropertyRow::kDarkRed;
    m_list->setRows(CPropertyRows::list(section, CValidationSchema(m_context.doc.schema()),
                                        schemaPlace, options));
    m_listed = place;
}

void CUbrixVorelMap::relistPage() {
    if (!m_listed || !m_context.doc.hasTemplate()) {
        return;
    }
    const CProjectPlace place = *m_listed;
    m_list->clearRows();
    m_listed.reset();
    if (CProjectLookup::section(*m_context.doc.templateDocument(), place)) {
        listPage(place);
    }
}

void CUbrixVorelMap::OnListEditEnd(int row, int column) {
    if (row < 0 || column != CPropertyList::kValueColumn || !m_list->takeModified(row) ||
        !m_listed) {
        return;
    }
    const CPropertyLabel::Parts parts = CPropertyLabel::split(m_list->row(row).label);
    const QString text = m_list->cellText(row, CPropertyList::kValueColumn);
    bool written = false;
    try {
        written = m_context.doc.setTemplateValue(
            *m_listed, parts.key, parts.hasIndex ? std::optional(parts.index) : std::nullopt, text);
    } catch (const CXmlError&) {
        logError("OnListEditEnd()");
    }
    if (!written) {
        // Refused: the cell shows what the project holds again.
        QMetaObject::invokeMethod(this, &CUbrixVorelMap::relistPage, Qt::QueuedConnection);
    }
    OnUpdate(CUbrixVorelDoc::kHintDeviceAnnounced);
}

const CProjectTreeItem* CUbrixVorelMap::selectedDeviceItem() const {
    const CProjectTreeItem* item = m_model.item(m_tree->currentModelIndex());
    while (item != nullptr && !item->isDevice()) {
        item = item->parent();
    }
    return item;
}

// The tree turns to the mode that shows the new device, and selects it.
void CUbrixVorelMap::OnBnClickedButtonAdd() {
    CTemplateAdd dialog(m_context.doc,
                        CModelTemplateFolder::find(QCoreApplication::applicationDirPath()), this);
    CModalRunner::exec(dialog);
    if (const std::optional<CProjectDevice>& added = dialog.added()) {
        const int mode =
            added->isGateway() ? CProjectTreeModel::kGatewayMode : CProjectTreeModel::kDeviceMode;
        m_context.state.mapMode = mode;
        m_devices->setChecked(mode == CProjectTreeModel::kDeviceMode);
        m_ubrix->setChecked(mode == CProjectTreeModel::kGatewayMode);
    }
    m_context.doc.notifyViews(CUbrixVorelDoc::kHintRestructured);
    if (dialog.added()) {
        selectDevice(*dialog.added());
    }
}

// The copy is selected, so that Copy again copies it.
void CUbrixVorelMap::OnBnClickedButtonCopy() {
    const CProjectTreeItem* device = selectedDeviceItem();
    if (device == nullptr) {
        return;
    }
    try {
        if (const std::optional<CProjectDevice> copy =
                m_context.doc.copyTemplateDevice(device->place.device)) {
            selectDevice(*copy);
        }
    } catch (const CXmlError&) {
        logError("OnBnClickedButtonCopy()");
    }
}

void CUbrixVorelMap::selectDevice(const CProjectDevice& device) {
    if (const CProjectTreeItem* item = m_model.deviceItem(device)) {
        m_tree->setCurrentItem(item);
        OnNMClickTree1(m_tree->currentIndex());
    }
}

void CUbrixVorelMap::OnBnClickedButtonDelete() {
    const CProjectTreeItem* device = selectedDeviceItem();
    if (device == nullptr) {
        return;
    }
    try {
        m_context.doc.deleteTemplateDevice(device->place.device);
    } catch (const CXmlError&) {
        logError("OnBnClickedButtonDelete()");
    }
}

void CUbrixVorelMap::OnBnClickedButtonUpload() {
    if (m_startUpload) {
        m_startUpload(m_context.state.mapMode, this);
    }
}

void CUbrixVorelMap::OnMapChangeAddress() {
    const CProjectTreeItem* device = selectedDeviceItem();
    if (device == nullptr) {
        return;
    }
    m_tree->setCurrentItem(device);
    m_tree->edit(m_tree->currentIndex());
}

void CUbrixVorelMap::onAddressTyped(const QModelIndex& index, const QString& text) {
    const CProjectTreeItem* item = m_model.item(m_tree->toModel(index));
    if (item == nullptr) {
        return;
    }
    // Later: the editor is still closing, and the change rebuilds the tree under it.
    QMetaObject::invokeMethod(
        this, [this, device = item->place.device, text] { changeAddress(device, text); },
        Qt::QueuedConnection);
}

void CUbrixVorelMap::changeAddress(const CProjectDevice& device, const QString& typed) {
    std::optional<CProjectDevice> changed;
    try {
        // The change rebuilds the trees: this one waits until the device's item goes by its
        // new address, so that it stays where it is, open and selected as it was.
        const QScopedValueRollback<bool> readdressing(m_readdressing, true);
        changed = m_context.doc.changeTemplateAddress(device, typed);
    } catch (const CXmlError&) {
        logError("OnTvnEndlabeleditTree1()");
        return;
    }
    if (!changed) {
        // Nothing changed; the tree shows the project's address again.
        m_context.doc.notifyViews(CUbrixVorelDoc::kHintRestructured);
        return;
    }
    m_model.readdress(device, *changed);
    OnUpdate(CUbrixVorelDoc::kHintRestructured);
}

void CUbrixVorelMap::onContextMenu(const QPoint& position) {
    m_menu->popup(m_tree->viewport()->mapToGlobal(position));
}

void CUbrixVorelMap::onTemplateChanged() {
    // A save may have given the project its file.
    m_fileName->setText(QFileInfo(m_context.doc.templatePath()).fileName());
    updateCommands();
    // Later, and only while the page is still listed: an undone or redone value shows, and
    // the list is never refilled under its own closing editor.
    QMetaObject::invokeMethod(
        this,
        [this] {
            try {
                relistPage();
            } catch (const CXmlError&) {
                logError("OnNMClickTree1()");
            }
        },
        Qt::QueuedConnection);
}

void CUbrixVorelMap::updateCommands() {
    m_upload->setEnabled(static_cast<bool>(m_startUpload));
}

void CUbrixVorelMap::logError(const char* handler) {
    m_context.doc.writeErrorLog(QByteArray("Error in CUbrixVorelMap::") + handler);
}

void CUbrixVorelMap::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    const int height = event->size().height();
    const QRect tree = m_tree->geometry();
    m_tree->setGeometry(tree.x(), tree.y(), tree.width(),
                        std::max(0, height - kBottomGap - tree.y()));
    const QRect list = m_list->geometry();
    m_list->setGeometry(list.x(), list.y(),
                        std::max(0, event->size().width() - kRightGap - list.x()),
                        std::max(0, height - kBottomGap - list.y()));
}
