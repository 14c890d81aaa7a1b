#pragma once

#include "core/common/IUserNotifier.h"

#include <QMutex>

// The program's messages, for a terminal: one line block on stderr each.
class CStderrNotifier : public IUserNotifier {
public:
    void showMessage(const QString& text) override;
    int count() const;

private:
    mutable QMutex m_mutex;
    int m_count = 0;
};
