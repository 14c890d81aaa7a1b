#pragma once

#include <QIcon>

// The program's icon, from the widget library's resources (which a static library has
// to register before first use).
class CProgramIcon {
public:
    static QIcon icon();
};
