#include "core/transport/CUDPListener.h"

#include "core/transport/CIpv4Address.h"

#include "core/common/IClock.h"
#include "core/protocol/CTrafficLine.h"
#include "core/transport/CInboundQueue.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace {

// Enough room for a burst of replies while the GUI thread is busy; the system caps it.
constexpr int kSocketReceiveBuffer = 1 << 20;
// Datagrams taken per wake-up before the stop flag is looked at again.
constexpr int kBurst = 64;

}  // namespace

CUDPListener::CUDPListener(int port, quint32 adapterAddress, CInboundQueue& queue,
                           std::atomic<bool>& firewallSuspect, IClock& clock, QObject* parent)
    : QObject(parent),
      m_port(port),
      m_adapterAddress(adapterAddress),
      m_queue(queue),
      m_firewallSuspect(firewallSuspect),
      m_clock(clock) {}

CUDPListener::~CUDPListener() {
    StopReceiver();
}

bool CUDPListener::Start() {
    if (m_thread.joinable()) {
        return isRunning();
    }
    if (!openSocket() || !openWakePipe()) {
        m_socket.reset();
        return false;
    }
    m_stop.store(false);
    m_running.store(true);
    m_thread = std::thread([this] {
        ::pthread_setname_np(::pthread_self(), "CUDPListener");
        run();
        m_running.store(false);
    });
    return true;
}

bool CUDPListener::openSocket() {
    m_socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!m_socket.isValid()) {
        emit failed(QString::fromLatin1(kUnableToCreateSocket));
        return false;
    }
    const sockaddr_in local = CIpv4Address::toSocketAddress(CIpv4Address::kAny, m_port);
    if (::bind(m_socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        m_socket.reset();
        emit failed(QString::fromLatin1(kPortInUse));
        return false;
    }
    const int size = kSocketReceiveBuffer;
    ::setsockopt(m_socket.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    return true;
}

bool CUDPListener::openWakePipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        emit failed(QString::fromLatin1(kUnableToCreateSocket));
        return false;
    }
    m_wakeRead.reset(ends[0]);
    m_wakeWrite.reset(ends[1]);
    return true;
}

bool CUDPListener::isRunning() const {
    return m_running.load();
}

void CUDPListener::StopReceiver() {
    if (!m_thread.joinable()) {
        return;
    }
    m_stop.store(true);
    const char wake = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeWrite.get(), &wake, 1);
    m_thread.join();
    m_socket.reset();
    m_wakeRead.reset();
    m_wakeWrite.reset();
}

// Room for several datagrams, taken from the socket with one system call.
struct CUDPListener::ReceiveBatch {
    static constexpr unsigned kSize = 16;
    char buffers[kSize][kBufferSize];
    sockaddr_in senders[kSize];
    iovec parts[kSize];
    mmsghdr headers[kSize];

    ReceiveBatch() {
        for (unsigned i = 0; i < kSize; ++i) {
            parts[i] = {buffers[i], static_cast<std::size_t>(kBufferSize)};
            headers[i] = {};
            headers[i].msg_hdr.msg_iov = &parts[i];
            headers[i].msg_hdr.msg_iovlen = 1;
            headers[i].msg_hdr.msg_name = &senders[i];
        }
    }
    // The sizes the kernel writes back must be set anew before each call.
    void rearm() {
        for (mmsghdr& header : headers) {
            header.msg_hdr.msg_namelen = sizeof(sockaddr_in);
            header.msg_hdr.msg_flags = 0;
        }
    }
};

void CUDPListener::run() {
    auto batch = std::make_unique<ReceiveBatch>();
    pollfd watched[2] = {{m_socket.get(), POLLIN, 0}, {m_wakeRead.get(), POLLIN, 0}};
    while (!m_stop.load(std::memory_order_relaxed)) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            endWithReceiveError(errno);
            return;
        }
        if (watched[1].revents != 0) {
            return;
        }
        if (watched[0].revents != 0 && !receivePending(*batch)) {
            return;
        }
    }
}

bool CUDPListener::receivePending(ReceiveBatch& batch) {
    // Datagrams taken in one wake-up were all waiting at the same moment: they share one
    // time of reception, and reading the local time (costly) happens once per wake-up.
    QTime received;
    for (int taken = 0; taken < kBurst && !m_stop.load(std::memory_order_relaxed);) {
        batch.rearm();
        const int count =
            ::recvmmsg(m_socket.get(), batch.headers, ReceiveBatch::kSize, MSG_DONTWAIT, nullptr);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return true;
            }
            endWithReceiveError(errno);
            return false;
        }
        if (!received.isValid()) {
            received = m_clock.now().time();
        }
        for (int i = 0; i < count; ++i) {
            const mmsghdr& header = batch.headers[i];
            if ((header.msg_hdr.msg_flags & MSG_TRUNC) != 0) {
                // Longer than the buffer: keep what fits rather than going deaf.
                m_cut.fetch_add(1, std::memory_order_relaxed);
            }
            route(QByteArrayView(batch.buffers[i], header.msg_len),
                  batch.senders[i].sin_addr.s_addr, received);
        }
        m_received.fetch_add(static_cast<quint64>(count), std::memory_order_relaxed);
        taken += count;
        if (count < static_cast<int>(ReceiveBatch::kSize)) {
            return true;
        }
    }
    return true;
}

void CUDPListener::route(QByteArrayView datagram, quint32 sender, const QTime& received) {
    if (datagram.isEmpty()) {
        return;
    }
    if (datagram == QByteArrayView(kProbeText)) {
        m_firewallSuspect.store(false);
        return;
    }
    if (datagram.front() == '[') {
        emit rxBracket(datagram.toByteArray());
        return;
    }
    if (datagram.front() == '!') {
        emit rxBang(datagram.toByteArray());
    }
    m_queue.push(CTrafficLine::build(received, sender, datagram));
    if (m_unannounced.fetch_add(1) == 0) {
        // By name, so that nothing made on this thread travels in Qt's queue: the count
        // above is all that crosses, and ThreadSanitizer sees it do so.
        QMetaObject::invokeMethod(this, "announceQueued", Qt::QueuedConnection);
    }
}

void CUDPListener::announceQueued() {
    for (quint32 lines = m_unannounced.exchange(0); lines > 0; --lines) {
        emit rxQueued();
    }
}

void CUDPListener::endWithReceiveError(int error) {
    emit failed(QString::asprintf(kReceiveFailed, error));
    m_socket.reset();
    m_clock.sleep(std::chrono::milliseconds(1000));
}
