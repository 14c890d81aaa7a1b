#include "gui/base/CPopupMenus.h"

#include "gui/base/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <array>

namespace {

struct PopupItem {
    int resource;
    int command;
    const char* text;
};

constexpr std::array kItems{
    PopupItem{vorel::cmd::kPopupTrafficList, vorel::cmd::kTrafficClear, "Clear"},
    PopupItem{vorel::cmd::kPopupGatewayList, vorel::cmd::kGatewaysRefresh, "Refresh"},
    PopupItem{vorel::cmd::kPopupDeviceMap, vorel::cmd::kMapDelete, "Delete"},
    PopupItem{vorel::cmd::kPopupDeviceMap, vorel::cmd::kMapChangeAddress, "Change Address"},
    PopupItem{vorel::cmd::kPopupGatewayView, vorel::cmd::kUbrixRefresh, "Refresh"},
    PopupItem{vorel::cmd::kPopupBusView, vorel::cmd::kTmapRefresh, "Refresh"},
    PopupItem{vorel::cmd::kPopupBusView, vorel::cmd::kTmapDelete, "Delete"},
    PopupItem{vorel::cmd::kPopupBusView, vorel::cmd::kTmapIdentify, "Identify"},
    PopupItem{vorel::cmd::kPopupBusView, vorel::cmd::kTmapUpdate, "Update"},
    PopupItem{vorel::cmd::kPopupBusView, vorel::cmd::kTmapReplace, "Replace device..."},
};

}  // namespace

QMenu* CPopupMenus::create(int resource, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const PopupItem& item : kItems) {
        if (item.resource == resource) {
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setData(item.command);
        }
    }
    return menu;
}

QList<int> CPopupMenus::commands(int resource) {
    QList<int> found;
    for (const PopupItem& item : kItems) {
        if (item.resource == resource) {
            found.append(item.command);
        }
    }
    return found;
}

QAction* CPopupMenus::action(const QMenu* menu, int command) {
    for (QAction* candidate : menu->actions()) {
        if (candidate->data().toInt() == command && !candidate->isSeparator()) {
            return candidate;
        }
    }
    return nullptr;
}

QMenu* CPopupMenus::popup(int resource, QWidget* owner, const QWidget* at, const QPoint& position,
                          std::function<void(int command)> chosen) {
    const QString name = QString::fromLatin1(kOpenName);
    if (QMenu* open = owner->findChild<QMenu*>(name, Qt::FindDirectChildrenOnly)) {
        open->setObjectName(QString());
        open->close();
    }
    QMenu* menu = create(resource, owner);
    menu->setObjectName(name);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(menu, &QMenu::triggered, owner,
                     [chosen = std::move(chosen)](QAction* item) { chosen(item->data().toInt()); });
    menu->popup(at->mapToGlobal(position));
    return menu;
}
