#include "CTestLan.h"

#include <QStandardPaths>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace {

bool bringLoopbackUp() {
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(socket, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = ::ioctl(socket, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(socket);
    return up;
}

// IFF_RUNNING follows the link's operational state, which the kernel settles a moment
// after the link is set up.
bool isRunning(const QString& name) {
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, name.toLatin1().constData(), IFNAMSIZ - 1);
    const bool running =
        ::ioctl(socket, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_RUNNING) != 0;
    ::close(socket);
    return running;
}

// Waits (a watchdog, not a timing check) until the check holds.
bool waitFor(const std::function<bool()>& check) {
    for (int tries = 0; tries < 500; ++tries) {
        if (check()) {
            return true;
        }
        ::usleep(10'000);
    }
    return false;
}

QString dotted(quint32 networkOrder) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{};
    address.s_addr = networkOrder;
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

// Where isolation is required (scripts/test sets VOREL_REQUIRE_ISOLATION=1 for CI), a test
// that cannot isolate itself fails instead of skipping: a skipped socket test would leave
// CI green with nothing tested.
QString unlessRequired(QString why) {
    if (!why.isEmpty() && qEnvironmentVariableIntValue("VOREL_REQUIRE_ISOLATION") == 1) {
        qFatal("%s (VOREL_REQUIRE_ISOLATION=1: this test may not skip)", qPrintable(why));
    }
    return why;
}

QString hostLink(int lan, int number) {
    return QStringLiteral("vh%1n%2").arg(lan).arg(number);
}

}  // namespace

QString CTestLan::isolateProcess() {
    if (::unshare(CLONE_NEWNET) != 0) {
        return unlessRequired(
            QStringLiteral("needs root in a network namespace (run under scripts/in-netns): "
                           "unshare: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!bringLoopbackUp()) {
        return unlessRequired(QStringLiteral("cannot bring up loopback in the test namespace"));
    }
    return {};
}

QString CTestLan::whyNoLan() {
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty()) {
        return unlessRequired(
            QStringLiteral("the ip tool (iproute2) is missing: scripts/setup installs it"));
    }
    return {};
}

CTestLan::~CTestLan() {
    // Taken down in full at once, so that the next test can build the same names again.
    const QString ip = QStringLiteral("ip");
    for (const Host& host : m_hosts) {
        run({ip, QStringLiteral("link"), QStringLiteral("del"), hostLink(host.lan, host.number)});
        ::close(host.namespaceFd);
    }
    for (const int lan : m_lans) {
        run({ip, QStringLiteral("link"), QStringLiteral("del"), bridgeName(lan)});
    }
}

quint32 CTestLan::programAddress(int lan) {
    return hostAddress(lan, 1);
}

quint32 CTestLan::hostAddress(int lan, int number) {
    return htonl((10u << 24) | (77u << 16) | (static_cast<quint32>(lan) << 8) |
                 static_cast<quint32>(number));
}

int CTestLan::interfaceIndex(int lan) const {
    return static_cast<int>(::if_nametoindex(bridgeName(lan).toLatin1().constData()));
}

const CTestLan::Host* CTestLan::host(int lan, int number) const {
    for (const Host& candidate : m_hosts) {
        if (candidate.lan == lan && candidate.number == number) {
            return &candidate;
        }
    }
    return nullptr;
}

bool CTestLan::run(const QStringList& command, int namespaceFd) {
    std::vector<QByteArray> arguments;
    for (const QString& argument : command) {
        arguments.push_back(argument.toLocal8Bit());
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (QByteArray& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (namespaceFd >= 0 && ::setns(namespaceFd, CLONE_NEWNET) != 0) {
            ::_exit(126);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        m_error = QStringLiteral("failed: ") + command.join(QLatin1Char(' '));
        return false;
    }
    return true;
}

bool CTestLan::enterNamespace(int namespaceFd) {
    return ::setns(namespaceFd, CLONE_NEWNET) == 0;
}

int CTestLan::newNamespace() {
    int namespaceFd = -1;
    std::thread maker([&] {
        if (::unshare(CLONE_NEWNET) == 0 && bringLoopbackUp()) {
            namespaceFd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        }
    });
    maker.join();
    return namespaceFd;
}

bool CTestLan::addLan(int lan) {
    m_lans.append(lan);
    const QString bridge = bridgeName(lan);
    const QString ip = QStringLiteral("ip");
    return run({ip, QStringLiteral("link"), QStringLiteral("add"), bridge, QStringLiteral("type"),
                QStringLiteral("bridge")}) &&
           run({ip, QStringLiteral("addr"), QStringLiteral("add"),
                dotted(programAddress(lan)) + QStringLiteral("/24"), QStringLiteral("dev"),
                bridge}) &&
           run({ip, QStringLiteral("link"), QStringLiteral("set"), bridge, QStringLiteral("up")});
}

bool CTestLan::addHost(int lan, int number) {
    Host host;
    host.lan = lan;
    host.number = number;
    host.address = hostAddress(lan, number);
    host.namespaceFd = newNamespace();
    if (host.namespaceFd < 0) {
        m_error =
            QStringLiteral("cannot make a namespace for host %1 on LAN %2").arg(number).arg(lan);
        return false;
    }
    m_hosts.append(host);
    const QString ip = QStringLiteral("ip");
    const QString link = hostLink(lan, number);
    const QString namespacePath =
        QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(host.namespaceFd);
    const bool built =
        run({ip, QStringLiteral("link"), QStringLiteral("add"), link, QStringLiteral("type"),
             QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"),
             QStringLiteral("eth0"), QStringLiteral("netns"), namespacePath}) &&
        run({ip, QStringLiteral("link"), QStringLiteral("set"), link, QStringLiteral("master"),
             bridgeName(lan), QStringLiteral("up")}) &&
        run({ip, QStringLiteral("addr"), QStringLiteral("add"),
             dotted(host.address) + QStringLiteral("/24"), QStringLiteral("dev"),
             QStringLiteral("eth0")},
            host.namespaceFd) &&
        run({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("eth0"),
             QStringLiteral("up")},
            host.namespaceFd);
    if (!built) {
        return false;
    }
    // Only a running link counts as an adapter, and only a running bridge forwards.
    const bool running =
        waitFor([&] { return isRunning(link) && isRunning(bridgeName(lan)); }) &&
        inHost(host, [] { return waitFor([] { return isRunning(QStringLiteral("eth0")); }); });
    if (!running) {
        m_error =
            QStringLiteral("the links of host %1 on LAN %2 did not come up").arg(number).arg(lan);
    }
    return running;
}
