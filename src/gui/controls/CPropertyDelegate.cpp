#include "gui/controls/CPropertyDelegate.h"

#include "gui/controls/CPropertyListModel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace {

CPropertyRow::Editor editorOf(const QModelIndex& index) {
    return static_cast<CPropertyRow::Editor>(index.data(CPropertyListModel::kEditorRole).toInt());
}

// The last option equal to the value: with options repeated, the later one is the choice.
int lastIndexOf(const QStringList& options, const QString& value) {
    for (qsizetype i = options.size(); i > 0; --i) {
        if (options[i - 1] == value) {
            return static_cast<int>(i - 1);
        }
    }
    return -1;
}

}  // namespace

CPropertyDelegate::CPropertyDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QModelIndex CPropertyDelegate::cellOf(const QWidget* editor) {
    return editor->property(kCellProperty).value<QPersistentModelIndex>();
}

QWidget* CPropertyDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    switch (editorOf(index)) {
        case CPropertyRow::Editor::Text: {
            auto* edit = new QLineEdit(parent);
            edit->setProperty(kCellProperty, QVariant::fromValue(QPersistentModelIndex(index)));
            return edit;
        }
        case CPropertyRow::Editor::Combo: {
            auto* combo = new QComboBox(parent);
            const QStringList options = index.data(CPropertyListModel::kOptionsRole).toStringList();
            combo->addItems(options);
            const int rows = m_comboRows > 0 ? m_comboRows : static_cast<int>(options.size());
            combo->setMaxVisibleItems(std::max(1, rows));
            const QPersistentModelIndex cell(index);
            auto* self = const_cast<CPropertyDelegate*>(this);
            connect(combo, &QComboBox::activated, self, [self, combo, cell] {
                emit self->commitData(combo);
                emit self->comboChosen(cell);
                emit self->closeEditor(combo);
            });
            // The list drops down at once, as a combo cell's does.
            QTimer::singleShot(0, combo, [combo] { combo->showPopup(); });
            return combo;
        }
        case CPropertyRow::Editor::None:
            break;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void CPropertyDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const QStringList options = index.data(CPropertyListModel::kOptionsRole).toStringList();
        const int current = lastIndexOf(options, index.data(Qt::EditRole).toString());
        combo->setCurrentIndex(
            current >= 0 ? current : index.data(CPropertyListModel::kInitialIndexRole).toInt());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void CPropertyDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}
