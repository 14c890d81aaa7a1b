#include "cli/CStderrNotifier.h"

#include <QMutexLocker>
#include <cstdio>

void CStderrNotifier::showMessage(const QString& text) {
    QMutexLocker lock(&m_mutex);
    ++m_count;
    const QByteArray bytes = text.trimmed().toLocal8Bit();
    std::fprintf(stderr, "vorel-cli: %s\n", bytes.constData());
}

int CStderrNotifier::count() const {
    QMutexLocker lock(&m_mutex);
    return m_count;
}
