#include "gui/base/CProgramIcon.h"

static void initIconResource() {
    Q_INIT_RESOURCE(icons);
}

QIcon CProgramIcon::icon() {
    initIconResource();
    return QIcon(QStringLiteral(":/icons/vorel.png"));
}
