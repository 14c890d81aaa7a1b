#include "CNodeIcons.h"

#include <QString>

static void initNodeIconResource() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(nodeicons);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon CNodeIcons::icon(int kind, int count) {
    if (kind < 0 || kind >= count || kind >= kCount) {
        return {};
    }
    initNodeIconResource();
    return QIcon(QStringLiteral(":/nodes/kind%1.png").arg(kind, 2, 10, QLatin1Char('0')));
}
