#pragma once

#include "lan/IHostNameResolver.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

// Names from a table; optionally every look-up waits until the test lets it go, like a
// name server that does not answer.
class CFakeHostNameResolver : public IHostNameResolver {
public:
    void addName(quint32 address, const QString& name) {
        QMutexLocker lock(&m_mutex);
        m_names.insert(address, name);
    }
    void holdLookUps() {
        QMutexLocker lock(&m_mutex);
        m_holding = true;
    }
    void releaseLookUps() {
        QMutexLocker lock(&m_mutex);
        m_holding = false;
        m_released.wakeAll();
    }
    int lookUpCount() const {
        QMutexLocker lock(&m_mutex);
        return m_lookUps;
    }

    QString nameOf(quint32 address) override {
        QMutexLocker lock(&m_mutex);
        ++m_lookUps;
        while (m_holding) {
            m_released.wait(&m_mutex);
        }
        return m_names.value(address);
    }

private:
    mutable QMutex m_mutex;
    QWaitCondition m_released;
    QHash<quint32, QString> m_names;
    bool m_holding = false;
    int m_lookUps = 0;
};
