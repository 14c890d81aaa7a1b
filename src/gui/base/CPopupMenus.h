#pragma once

#include <QList>
#include <functional>

class QAction;
class QMenu;
class QPoint;
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

    // The object name of the pop-up menu a view has open.
    static constexpr const char* kOpenName = "popup";
    // Opens the resource's menu at position in at's coordinates, for owner: the one owner had
    // open closes, the new one is owner's child named kOpenName until it closes, and the
    // command of an item chosen goes to chosen.
    static QMenu* popup(int resource, QWidget* owner, const QWidget* at, const QPoint& position,
                        std::function<void(int command)> chosen);
};
