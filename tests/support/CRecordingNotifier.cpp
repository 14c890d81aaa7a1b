#include "CRecordingNotifier.h"

#include <QMutexLocker>

void CRecordingNotifier::showMessage(const QString& text) {
    QMutexLocker lock(&m_mutex);
    m_messages.append(text);
}

QStringList CRecordingNotifier::messages() const {
    QMutexLocker lock(&m_mutex);
    return m_messages;
}

void CRecordingNotifier::clear() {
    QMutexLocker lock(&m_mutex);
    m_messages.clear();
}
