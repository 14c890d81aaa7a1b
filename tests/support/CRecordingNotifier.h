#pragma once

#include "core/common/IUserNotifier.h"

#include <QMutex>
#include <QStringList>

// Keeps every message instead of showing it: for tests and for headless runs.
class CRecordingNotifier : public IUserNotifier {
public:
    void showMessage(const QString& text) override;
    QStringList messages() const;
    void clear();

private:
    mutable QMutex m_mutex;
    QStringList m_messages;
};
