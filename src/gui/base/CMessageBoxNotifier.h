#pragma once

#include "core/common/IUserNotifier.h"

#include <QObject>

// How the core's messages reach the user in the program: as message boxes through the
// dialog service. Create it in the GUI thread. Called there, it shows the box at once and
// returns when the user has answered. Called from another thread (the receive thread
// reporting a socket failure), it hands the text over to the GUI thread and returns at
// once, because a widget must not be touched outside the GUI thread and the caller must
// not be blocked behind a box the user may leave open.
class CMessageBoxNotifier : public QObject, public IUserNotifier {
    Q_OBJECT

public:
    explicit CMessageBoxNotifier(QObject* parent = nullptr);

    void showMessage(const QString& text) override;
};
