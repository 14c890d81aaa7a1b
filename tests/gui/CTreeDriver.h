#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <QTreeView>
#include <functional>

// A user's eye on a configuration tree: items by their path of labels from the root, and what
// is expanded and selected, read from the tree's own model as the tree shows it.
namespace treeview {

// The index at the end of a path of labels below the root (the first label with that text
// under each parent); the root for an empty path, invalid when a label is missing.
inline QModelIndex at(const QTreeView& tree, const QStringList& labels) {
    const QAbstractItemModel& model = *tree.model();
    QModelIndex index = model.index(0, 0);
    for (const QString& label : labels) {
        QModelIndex next;
        for (int row = 0; index.isValid() && row < model.rowCount(index) && !next.isValid();
             ++row) {
            const QModelIndex child = model.index(row, 0, index);
            next = child.data().toString() == label ? child : QModelIndex();
        }
        index = next;
    }
    return index;
}

// "Lobby/NETWORK": the labels from below the root down to index; empty for the root or none.
inline QString path(const QModelIndex& index) {
    QStringList labels;
    for (QModelIndex at = index; at.isValid() && at.parent().isValid(); at = at.parent()) {
        labels.prepend(at.data().toString());
    }
    return labels.join(QLatin1Char('/'));
}

// The labels of the item's children.
inline QStringList childLabels(const QModelIndex& item) {
    QStringList labels;
    for (int row = 0; item.isValid() && row < item.model()->rowCount(item); ++row) {
        labels << item.model()->index(row, 0, item).data().toString();
    }
    return labels;
}

// The tree in one line per item, depth first, indented by depth: its label, and what more
// describe says of it.
inline QStringList lines(const QTreeView& tree,
                         const std::function<QString(const QModelIndex&)>& describe = {}) {
    QStringList lines;
    std::function<void(const QModelIndex&, qsizetype)> walk = [&](const QModelIndex& index,
                                                                  qsizetype depth) {
        QString line = QString(depth * 2, QLatin1Char(' ')) + index.data().toString();
        if (describe) {
            line += describe(index);
        }
        lines << line;
        for (int row = 0; row < tree.model()->rowCount(index); ++row) {
            walk(tree.model()->index(row, 0, index), depth + 1);
        }
    };
    walk(tree.model()->index(0, 0), 0);
    return lines;
}

// The paths of the expanded items below the root, depth first.
inline QStringList expanded(const QTreeView& tree) {
    QStringList paths;
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& index) {
        for (int row = 0; row < tree.model()->rowCount(index); ++row) {
            const QModelIndex child = tree.model()->index(row, 0, index);
            if (tree.isExpanded(child)) {
                paths << path(child);
            }
            walk(child);
        }
    };
    walk(tree.model()->index(0, 0));
    return paths;
}

// The selection's path; "-" for none, "" for the root.
inline QString selected(const QTreeView& tree) {
    return tree.currentIndex().isValid() ? path(tree.currentIndex()) : QStringLiteral("-");
}

}  // namespace treeview
