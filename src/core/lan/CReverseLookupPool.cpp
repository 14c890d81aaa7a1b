#include "CReverseLookupPool.h"

#include "IHostNameResolver.h"

#include <deque>
#include <mutex>
#include <thread>

// Lives as long as the pool or the last look-up thread, whichever goes later.
struct CReverseLookupPool::Shared {
    std::shared_ptr<IHostNameResolver> resolver;
    std::mutex mutex;
    std::deque<quint32> waiting;
    QHash<quint32, QString> answers;
    int running = 0;
    bool closed = false;
};

CReverseLookupPool::CReverseLookupPool(std::shared_ptr<IHostNameResolver> resolver, int maxThreads)
    : m_shared(std::make_shared<Shared>()), m_maxThreads(maxThreads) {
    m_shared->resolver = std::move(resolver);
}

CReverseLookupPool::~CReverseLookupPool() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->closed = true;
    m_shared->waiting.clear();
}

void CReverseLookupPool::request(quint32 address) {
    if (m_maxThreads <= 0) {
        const QString name = m_shared->resolver->nameOf(address);
        std::lock_guard lock(m_shared->mutex);
        m_shared->answers.insert(address, name);
        return;
    }
    std::lock_guard lock(m_shared->mutex);
    m_shared->waiting.push_back(address);
    if (m_shared->running < m_maxThreads) {
        ++m_shared->running;
        std::thread([shared = m_shared] { lookUp(shared); }).detach();
    }
}

QHash<quint32, QString> CReverseLookupPool::takeAnswers() {
    std::lock_guard lock(m_shared->mutex);
    return std::exchange(m_shared->answers, {});
}

void CReverseLookupPool::lookUp(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (!shared->waiting.empty()) {
        const quint32 address = shared->waiting.front();
        shared->waiting.pop_front();
        lock.unlock();
        const QString name = shared->resolver->nameOf(address);
        lock.lock();
        if (!shared->closed) {
            shared->answers.insert(address, name);
        }
    }
    --shared->running;
}
