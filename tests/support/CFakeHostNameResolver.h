#pragma once

#include "core/lan/IHostNameResolver.h"

#include <QHash>
#include <condition_variable>
#include <mutex>

// Names from a table; optionally every look-up waits until the test lets it go, like a
// name server that does not answer.
class CFakeHostNameResolver : public IHostNameResolver {
public:
    void addName(quint32 address, const QString& name) {
        std::lock_guard lock(m_mutex);
        m_names.insert(address, name);
    }
    void holdLookUps() {
        std::lock_guard lock(m_mutex);
        m_holding = true;
    }
    void releaseLookUps() {
        std::lock_guard lock(m_mutex);
        m_holding = false;
        m_released.notify_all();
    }
    int lookUpCount() const {
        std::lock_guard lock(m_mutex);
        return m_lookUps;
    }

    QString nameOf(quint32 address) override {
        std::unique_lock lock(m_mutex);
        ++m_lookUps;
        m_released.wait(lock, [this] { return !m_holding; });
        return m_names.value(address);
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    QHash<quint32, QString> m_names;
    bool m_holding = false;
    int m_lookUps = 0;
};
