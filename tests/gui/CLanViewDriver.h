#pragma once

#include "gui/views/CUbrixVorelNet.h"
#include "support/NamedChild.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStringList>

// A user reading the network view: its rows as text, and whether its scan is over.
namespace lanview {

// Every row's cells joined by '|'.
inline QStringList rowTexts(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column) {
            cells << model.index(row, column).data().toString();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The status says nothing and the progress bar is gone.
inline bool scanIsOver(const CUbrixVorelNet& view) {
    return namedChild<QLineEdit>(view, QStringLiteral("status"))->text() == QStringLiteral(" ") &&
           namedChild<QProgressBar>(view, QStringLiteral("progress"))->isHidden();
}

}  // namespace lanview
