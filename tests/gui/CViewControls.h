#pragma once

#include "gui/base/CPopupMenus.h"
#include "gui/controls/CPropertyList.h"
#include "support/NamedChild.h"

#include <QMenu>
#include <QTreeView>
#include <QWidget>

// A configuration view's controls as a user reaches them: by the names the views give them.
namespace viewcontrols {

inline QTreeView& tree(const QWidget& view) {
    return *namedChild<QTreeView>(view, "tree");
}

inline CPropertyList& properties(const QWidget& view) {
    return *namedChild<CPropertyList>(view, "properties");
}

// The pop-up menu the view has open; null when none is.
inline QMenu* popup(const QWidget& view) {
    return view.findChild<QMenu*>(QString::fromLatin1(CPopupMenus::kOpenName),
                                  Qt::FindDirectChildrenOnly);
}

}  // namespace viewcontrols
