// Received datagrams per second: a paced sender (20,000 a second for 5 seconds by default)
// through the receive thread into the inbound queue, and on through AddMsg into the plan,
// with the loss counted; beside it a bare receive loop on the same path, which is the
// limit of this machine. A last round floods each path as fast as the sender can.
//
// It opens sockets, so it makes a network namespace of its own first and refuses to run
// where it cannot.
#include "core/common/CSystemClock.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/settings/CSettings.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CUDPListener.h"
#include "support/CRecordingNotifier.h"

#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kPort = 4000;
constexpr int kGateways = 3;
constexpr int kDevices = 20;
constexpr int kSettings = 50;

bool isolate() {
    if (::unshare(CLONE_NEWNET) != 0) {
        std::fprintf(stderr,
                     "BenchReceive: cannot make a network namespace of its own (%s); run it as "
                     "root or under scripts/in-netns\n",
                     std::strerror(errno));
        return false;
    }
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = ::ioctl(socket, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP),
                     ::ioctl(socket, SIOCSIFFLAGS, &request) == 0);
    ::close(socket);
    if (!up) {
        std::fprintf(stderr, "BenchReceive: cannot bring up loopback\n");
    }
    return up;
}

quint32 loopback(quint32 last) {
    return CIpv4Address::fromHostOrder(0x7F000000u | last);
}

double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The gateways' replies: device settings as a full query brings them, each from the
// address of the gateway that sends it.
struct Traffic {
    std::vector<QByteArray> replies;
    std::vector<int> sockets;

    Traffic() {
        for (int uid = 1; uid <= kDevices; ++uid) {
            for (int setting = 0; setting < kSettings; ++setting) {
                replies.push_back("!UID" + QByteArray::number(uid) + ".GROUP" +
                                  QByteArray::number(setting / 10) + ".KEY" +
                                  QByteArray::number(setting % 10) + "=" +
                                  QByteArray::number(setting * 7 % 256) + ";\r\n");
            }
        }
        for (int gateway = 0; gateway < kGateways; ++gateway) {
            const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr = loopback(static_cast<quint32>(10 + gateway));
            if (::bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
                std::perror("bind");
                std::exit(1);
            }
            sockets.push_back(socket);
        }
    }
    ~Traffic() {
        for (int socket : sockets) {
            ::close(socket);
        }
    }
};

struct SendResult {
    quint64 sent = 0;
    quint64 failed = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
};

// rate 0: as fast as the sender can.
SendResult send(const Traffic& traffic, int rate, double seconds) {
    SendResult result;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = loopback(1);
    target.sin_port = htons(kPort);
    const double cpuStart = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    timespec next{};
    ::clock_gettime(CLOCK_MONOTONIC, &next);
    const auto total = static_cast<quint64>(rate > 0 ? rate * seconds : 0);
    const int perTick = rate > 0 ? std::max(1, rate / 1000) : 256;
    std::size_t at = 0;
    while (rate > 0 ? result.sent + result.failed < total
                    : wall.nsecsElapsed() < static_cast<qint64>(seconds * 1e9)) {
        for (int i = 0; i < perTick; ++i) {
            const QByteArray& reply = traffic.replies[at % traffic.replies.size()];
            const int socket = traffic.sockets[at % traffic.sockets.size()];
            ++at;
            const ssize_t done =
                ::sendto(socket, reply.data(), static_cast<std::size_t>(reply.size()), 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof target);
            ++(done < 0 ? result.failed : result.sent);
        }
        if (rate > 0) {
            next.tv_nsec += 1'000'000;
            if (next.tv_nsec >= 1'000'000'000) {
                next.tv_nsec -= 1'000'000'000;
                ++next.tv_sec;
            }
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    }
    result.cpuSeconds = threadCpuSeconds() - cpuStart;
    result.wallSeconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    return result;
}

struct Figures {
    const char* path = "";
    SendResult sent;
    quint64 received = 0;
    double receiveCpuSeconds = 0;
};

void print(const Figures& figures, double bareCpuPerDatagram) {
    const double perDatagramUs = figures.received > 0 ? figures.receiveCpuSeconds * 1e6 /
                                                            static_cast<double>(figures.received)
                                                      : 0;
    const quint64 lost =
        figures.sent.sent > figures.received ? figures.sent.sent - figures.received : 0;
    std::printf(
        "%-26s sent %9llu  received %9llu  lost %7llu (%5.2f%%)  %9.0f /s  "
        "receive CPU %6.2f us/datagram",
        figures.path, static_cast<unsigned long long>(figures.sent.sent),
        static_cast<unsigned long long>(figures.received), static_cast<unsigned long long>(lost),
        figures.sent.sent > 0
            ? 100.0 * static_cast<double>(lost) / static_cast<double>(figures.sent.sent)
            : 0.0,
        static_cast<double>(figures.received) / figures.sent.wallSeconds, perDatagramUs);
    if (bareCpuPerDatagram > 0) {
        std::printf("  (%.2fx bare)", perDatagramUs / bareCpuPerDatagram);
    }
    std::printf("\n");
}

// The limit: receive and count, nothing else, with the listener's socket and buffer.
Figures runBare(const Traffic& traffic, int rate, double seconds) {
    Figures figures;
    figures.path = "bare receive loop";
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        std::perror("bind");
        std::exit(1);
    }
    const int buffer = 1 << 20;
    ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    timeval wait{0, 200'000};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::atomic<bool> sending{true};
    std::atomic<quint64> received{0};
    std::thread receiver([&] {
        char data[CUDPListener::kBufferSize];
        for (;;) {
            sockaddr_in sender{};
            socklen_t length = sizeof sender;
            const ssize_t size = ::recvfrom(socket, data, sizeof data, 0,
                                            reinterpret_cast<sockaddr*>(&sender), &length);
            if (size >= 0) {
                received.fetch_add(1, std::memory_order_relaxed);
            } else if (!sending.load()) {
                return;
            }
        }
    });
    const double cpuStart = processCpuSeconds();
    figures.sent = send(traffic, rate, seconds);
    sending = false;
    receiver.join();
    figures.receiveCpuSeconds = processCpuSeconds() - cpuStart - figures.sent.cpuSeconds;
    figures.received = received.load();
    ::close(socket);
    return figures;
}

// The program's path: the receive thread stamps and queues, the GUI thread's event loop
// takes each rxQueued and either pops the lines or hands them to AddMsg.
Figures runListener(const Traffic& traffic, int rate, double seconds, CUbrixVorelDoc* doc,
                    CInboundQueue& queue, std::atomic<bool>& firewallSuspect) {
    Figures figures;
    figures.path = doc != nullptr ? "receive thread + AddMsg" : "receive thread + queue";
    CUDPListener listener(kPort, 0, queue, firewallSuspect, CSystemClock::instance());
    quint64 drained = 0;
    QObject::connect(&listener, &CUDPListener::rxQueued, &listener, [&] {
        if (doc != nullptr) {
            doc->AddMsg();
            return;
        }
        while (!queue.isEmpty()) {
            queue.pop();
            ++drained;
        }
    });
    if (!listener.Start()) {
        std::fprintf(stderr, "BenchReceive: the receive port is taken\n");
        return figures;
    }
    const double cpuStart = processCpuSeconds();
    std::atomic<bool> done{false};
    std::thread sender([&] {
        figures.sent = send(traffic, rate, seconds);
        done = true;
    });
    QEventLoop loop;
    QTimer check;
    quint64 lastSeen = 0;
    int quietTicks = 0;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const quint64 seen = listener.datagramsReceived();
        quietTicks = seen == lastSeen ? quietTicks + 1 : 0;
        lastSeen = seen;
        if (done.load() && quietTicks >= 4 && queue.isEmpty()) {
            loop.quit();
        }
    });
    check.start(50);
    loop.exec();
    sender.join();
    figures.receiveCpuSeconds = processCpuSeconds() - cpuStart - figures.sent.cpuSeconds;
    figures.received = listener.datagramsReceived();
    listener.StopReceiver();
    return figures;
}

double cpuPerDatagram(const Figures& figures) {
    return figures.received > 0
               ? figures.receiveCpuSeconds * 1e6 / static_cast<double>(figures.received)
               : 0;
}

int intOption(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (!isolate()) {
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int rate = intOption(arguments, QStringLiteral("--rate"), 20000);
    const int seconds = intOption(arguments, QStringLiteral("--seconds"), 5);
    const int floodSeconds = intOption(arguments, QStringLiteral("--flood-seconds"), 2);

    QTemporaryDir dir;
    CSettings settings;
    settings.log = 0;
    CRecordingNotifier notifier;
    CErrorLog errorLog(CSystemClock::instance(), dir.filePath(QStringLiteral("errors.txt")));
    CUbrixVorelDoc doc(settings, notifier, errorLog);
    doc.newPlan();
    CInboundQueue queue;
    std::atomic<bool> firewallSuspect{true};
    const Traffic traffic;

    std::printf("%d gateways x %d devices x %d settings, %d datagrams/s for %d s\n", kGateways,
                kDevices, kSettings, rate, seconds);
    const Figures bare = runBare(traffic, rate, seconds);
    print(bare, 0);
    print(runListener(traffic, rate, seconds, nullptr, queue, firewallSuspect),
          cpuPerDatagram(bare));
    print(runListener(traffic, rate, seconds, &doc, doc.inboundQueue(), doc.firewallSuspect()),
          cpuPerDatagram(bare));

    std::printf("flood: as fast as one sender can for %d s\n", floodSeconds);
    const Figures bareFlood = runBare(traffic, 0, floodSeconds);
    print(bareFlood, 0);
    print(runListener(traffic, 0, floodSeconds, nullptr, queue, firewallSuspect),
          cpuPerDatagram(bareFlood));
    print(runListener(traffic, 0, floodSeconds, &doc, doc.inboundQueue(), doc.firewallSuspect()),
          cpuPerDatagram(bareFlood));

    const auto devices = doc.plan().select_nodes("//Device_Configuration/DEVICE");
    std::printf("plan: %zu devices\n", devices.size());
    return 0;
}
