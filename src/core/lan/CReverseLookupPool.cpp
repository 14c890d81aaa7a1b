#include "core/lan/CReverseLookupPool.h"

#include "core/lan/IHostNameResolver.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

// Lives as long as the pool or the last look-up of it, whichever goes later.
struct CReverseLookupPool::Shared {
    std::shared_ptr<IHostNameResolver> resolver;
    QHash<quint32, QString> answers;  // guarded by the workers' mutex
    int maxThreads = 0;
    int running = 0;  // look-ups of this pool under way
    bool closed = false;
};

namespace {

// Every pool's look-up threads, counted together: a look-up stuck in a name server that
// does not answer keeps its thread after its pool is gone, and Rescan after Rescan must
// not pile such threads up.
struct Workers {
    struct Job {
        std::shared_ptr<CReverseLookupPool::Shared> pool;
        quint32 address;
    };
    std::mutex mutex;
    std::deque<Job> waiting;
    int running = 0;
};

Workers& workers() {
    // Never destroyed: a detached thread may still use it while the program ends.
    static auto* const instance = new Workers;
    return *instance;
}

}  // namespace

CReverseLookupPool::CReverseLookupPool(std::shared_ptr<IHostNameResolver> resolver, int maxThreads)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->resolver = std::move(resolver);
    m_shared->maxThreads = maxThreads;
}

CReverseLookupPool::~CReverseLookupPool() {
    Workers& all = workers();
    std::lock_guard lock(all.mutex);
    m_shared->closed = true;
    std::erase_if(all.waiting, [this](const Workers::Job& job) { return job.pool == m_shared; });
}

void CReverseLookupPool::request(quint32 address) {
    if (m_shared->maxThreads <= 0) {
        const QString name = m_shared->resolver->nameOf(address);
        std::lock_guard lock(workers().mutex);
        m_shared->answers.insert(address, name);
        return;
    }
    Workers& all = workers();
    std::lock_guard lock(all.mutex);
    all.waiting.push_back({m_shared, address});
    if (all.running < kMaxThreadsInAll) {
        ++all.running;
        std::thread(&CReverseLookupPool::work).detach();
    }
}

QHash<quint32, QString> CReverseLookupPool::takeAnswers() {
    std::lock_guard lock(workers().mutex);
    return std::exchange(m_shared->answers, {});
}

void CReverseLookupPool::work() {
    Workers& all = workers();
    std::unique_lock lock(all.mutex);
    for (;;) {
        // The next address whose pool has a thread to spare: a pool asks a few names at a
        // time, so that one scan cannot take every thread.
        const auto next = std::find_if(all.waiting.begin(), all.waiting.end(), [](const auto& job) {
            return job.pool->running < job.pool->maxThreads;
        });
        if (next == all.waiting.end()) {
            break;
        }
        const Workers::Job job = *next;
        all.waiting.erase(next);
        ++job.pool->running;
        lock.unlock();
        const QString name = job.pool->resolver->nameOf(job.address);
        lock.lock();
        --job.pool->running;
        if (!job.pool->closed) {
            job.pool->answers.insert(job.address, name);
        }
    }
    --all.running;
}
