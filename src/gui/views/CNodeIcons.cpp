#include "gui/views/CNodeIcons.h"

#include <QString>
#include <array>

static void initNodeIconResource() {
    Q_INIT_RESOURCE(nodeicons);
}

QIcon CNodeIcons::icon(int kind, int count) {
    if (kind < 0 || kind >= count || kind >= kCount) {
        return {};
    }
    // Made once: a tree asks for one per item, and a site's tree holds hundreds.
    static const std::array<QIcon, kCount> icons = [] {
        initNodeIconResource();
        std::array<QIcon, kCount> made;
        for (int i = 0; i < kCount; ++i) {
            made[static_cast<size_t>(i)] =
                QIcon(QStringLiteral(":/nodes/kind%1.png").arg(i, 2, 10, QLatin1Char('0')));
        }
        return made;
    }();
    return icons[static_cast<size_t>(kind)];
}
