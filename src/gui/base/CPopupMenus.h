#pragma once

#include <QList>

class QAction;
class QMenu;
class QWidget;

// The views' pop-up menus, built from one table so that every view shows the same texts
// for the same commands. Each action carries its command number as data.
class CPopupMenus {
public:
    // A new menu owned by parent; an unknown resource gives an empty menu.
    static QMenu* create(int resource, QWidget* parent);
    // The command numbers of a resource, in menu order.
    static QList<int> commands(int resource);
    // The menu's action for a command, or null.
    static QAction* action(const QMenu* menu, int command);
};
