#pragma once

#include "gui/controls/CPropertyList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// A user at a property list: finds a row by its label and changes its value through the
// list's own editors, as clicks and keys would.
namespace propertylist {

inline int rowLabelled(const CPropertyList& list, const QString& label) {
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.cellText(row, 0) == label) {
            return row;
        }
    }
    return -1;
}

// Types text into the row's text editor (an empty text clears it) and presses Enter, or
// picks text from the row's combo box; returns once the editor is gone.
inline void enter(CPropertyList& list, int row, const QString& text) {
    list.edit(list.model()->index(row, CPropertyList::kValueColumn));
    if (auto* combo = list.viewport()->findChild<QComboBox*>()) {
        const int option = combo->findText(text);
        QVERIFY2(option >= 0, qPrintable(text));
        combo->setCurrentIndex(option);
        emit combo->activated(option);
    } else {
        auto* editor = list.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(editor, Qt::Key_Delete);
        } else {
            QTest::keyClicks(editor, text);
        }
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QTRY_VERIFY(list.viewport()->findChild<QLineEdit*>() == nullptr &&
                list.viewport()->findChild<QComboBox*>() == nullptr);
}

}  // namespace propertylist
