#include "gui/controls/CPropertyList.h"

#include "gui/controls/CPropertyDelegate.h"
#include "gui/controls/CPropertyListModel.h"

#include <QComboBox>
#include <QHeaderView>

CPropertyList::CPropertyList(QWidget* parent) : QTableView(parent) {
    m_model = new CPropertyListModel(this);
    m_delegate = new CPropertyDelegate(this);
    setModel(m_model);
    setItemDelegateForColumn(kValueColumn, m_delegate);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->resizeSection(CPropertyListModel::kLabelColumn, kLabelWidth);
    // The value column takes what "Properties" leaves of the list's width.
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionsClickable(false);

    connect(m_delegate, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget* editor) { onEditorClosed(editor); });
    connect(m_delegate, &CPropertyDelegate::comboChosen, this,
            [this](const QModelIndex& index) { emit comboSelected(index.row(), index.column()); });
    // One click on a value opens its editor, as in-place cells do.
    connect(this, &QAbstractItemView::clicked, this, &CPropertyList::onClicked);
}

void CPropertyList::setRows(std::vector<CPropertyRow> rows) {
    m_model->setRows(std::move(rows));
}

void CPropertyList::clearRows() {
    m_model->setRows({});
}

int CPropertyList::rowCount() const {
    return m_model->rowCount();
}

const CPropertyRow& CPropertyList::row(int row) const {
    return m_model->row(row);
}

QString CPropertyList::cellText(int row, int column) const {
    return m_model->index(row, column).data(Qt::DisplayRole).toString();
}

void CPropertyList::setCellText(int row, const QString& text) {
    m_model->setValue(row, text);
}

bool CPropertyList::isModified(int row) const {
    return m_model->isModified(row);
}

bool CPropertyList::takeModified(int row) {
    return m_model->takeModified(row);
}

void CPropertyList::setComboRows(int rows) {
    m_delegate->setComboRows(rows);
}

void CPropertyList::setValueHeader(const QString& text) {
    m_model->setValueHeader(text);
}

QString CPropertyList::valueHeader() const {
    return m_model->valueHeader();
}

void CPropertyList::onClicked(const QModelIndex& index) {
    if (index.column() == kValueColumn && (m_model->flags(index) & Qt::ItemIsEditable)) {
        edit(index);
    }
}

void CPropertyList::onEditorClosed(QWidget* editor) {
    // A combo tells its choice by itself (comboSelected); its closing is no edit's end.
    if (qobject_cast<QComboBox*>(editor) != nullptr) {
        return;
    }
    const QModelIndex cell = CPropertyDelegate::cellOf(editor);
    if (cell.isValid()) {
        emit editEnded(cell.row(), cell.column());
    }
}

bool CPropertyList::isEditing() const {
    return state() == QAbstractItemView::EditingState;
}
