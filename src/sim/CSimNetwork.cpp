#include "sim/CSimNetwork.h"

#include "core/common/CSystemClock.h"
#include "core/transport/CIpv4Address.h"
#include "sim/CSimControl.h"
#include "sim/CSimSiteBuilder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QMap>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr int kReceiveBuffer = 2048;
constexpr int kBurst = 64;
constexpr int kSocketBuffer = 4 << 20;
// Long enough to be cheap, short enough that a clock moved by hand is seen soon.
constexpr int kLongestPollMs = 50;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString dotted(quint32 address) {
    return QString::fromLatin1(CIpv4Address::toDotted(address));
}

// The broadcast address of the subnet that address is on in this namespace: of the
// interface that holds it, else of the first whose subnet takes it in (127.0.0.2 is on
// loopback without being one of its addresses). Nothing when no interface fits.
std::optional<quint32> subnetBroadcast(quint32 address) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    std::optional<quint32> exact;
    std::optional<quint32> within;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            entry->ifa_netmask == nullptr) {
            continue;
        }
        sockaddr_in own{};
        sockaddr_in mask{};
        std::memcpy(&own, entry->ifa_addr, sizeof own);
        std::memcpy(&mask, entry->ifa_netmask, sizeof mask);
        const quint32 netmask = mask.sin_addr.s_addr;
        if (own.sin_addr.s_addr == address && !exact) {
            exact = address | ~netmask;
        } else if ((own.sin_addr.s_addr & netmask) == (address & netmask) && !within) {
            within = address | ~netmask;
        }
    }
    ::freeifaddrs(list);
    return exact ? exact : within;
}

}  // namespace

CSimNetwork::CSimNetwork(CSimSite site, Options options, IClock* clock)
    : m_site(std::move(site)),
      m_options(options),
      m_ownClock(clock == nullptr ? std::make_unique<CSystemClock>() : nullptr),
      m_clock(clock == nullptr ? *m_ownClock : *clock) {
    m_gatewaySockets.resize(static_cast<size_t>(m_site.gateways().size()));
    m_hasTcpListener.resize(m_gatewaySockets.size(), false);
    m_listeningAt.resize(m_gatewaySockets.size());
}

CSimNetwork::~CSimNetwork() {
    stop();
}

int CSimNetwork::openSocket(quint32 address, int port, QString& error) {
    CFileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int one = 1;
    const sockaddr_in local = CIpv4Address::toSocketAddress(address, port);
    if (!socket.isValid() ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0) {
        error = QStringLiteral("cannot make a UDP socket: %1").arg(systemError(errno));
        return -1;
    }
    // Room for a burst of queries while the site is busy answering the last ones.
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(dotted(address))
                    .arg(port)
                    .arg(systemError(errno));
        if (errno == EADDRNOTAVAIL) {
            error += QStringLiteral(" (no interface of this network namespace has the address)");
        }
        return -1;
    }
    return socket.release();
}

int CSimNetwork::openTcpListener(quint32 address, int port, QString& error) {
    CFileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int one = 1;
    const sockaddr_in local = CIpv4Address::toSocketAddress(address, port);
    if (!socket.isValid() ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
        error = QStringLiteral("cannot make a TCP socket: %1").arg(systemError(errno));
        return -1;
    }
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(socket.get(), kMaxConnections) != 0) {
        error = QStringLiteral("cannot listen for TCP on %1:%2: %3")
                    .arg(dotted(address))
                    .arg(port)
                    .arg(systemError(errno));
        return -1;
    }
    return socket.release();
}

void CSimNetwork::attachGatewayTcpListener(int gateway, int socket) {
    if (gateway < 0 || static_cast<size_t>(gateway) >= m_gatewaySockets.size()) {
        ::close(socket);
        return;
    }
    Listener listener;
    listener.kind = Listener::Kind::TcpListener;
    listener.socket.reset(socket);
    listener.gateways = {gateway};
    m_listeners.push_back(std::move(listener));
    m_hasTcpListener[static_cast<size_t>(gateway)] = true;
}

void CSimNetwork::attachGatewaySocket(int gateway, int socket) {
    if (gateway < 0 || static_cast<size_t>(gateway) >= m_gatewaySockets.size()) {
        ::close(socket);
        return;
    }
    m_gatewaySockets[static_cast<size_t>(gateway)].reset(socket);
    Listener listener;
    listener.socket.reset(::dup(socket));
    listener.gateways = {gateway};
    listener.arrival = boundArrival(socket);
    m_listeningAt[static_cast<size_t>(gateway)] = listener.arrival;
    m_listeners.push_back(std::move(listener));
}

// A socket bound to a broadcast address or to any address cannot tell the address a
// datagram was sent to: the gateway hears it wherever it is.
CSimArrival CSimNetwork::boundArrival(int socket) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return {};
    }
    return {local.sin_addr.s_addr, ntohs(local.sin_port)};
}

bool CSimNetwork::start(QString& error) {
    if (isRunning()) {
        return true;
    }
    int pipeEnds[2] = {-1, -1};
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = QStringLiteral("cannot make a pipe: %1").arg(systemError(errno));
        return false;
    }
    m_wakeRead.reset(pipeEnds[0]);
    m_wakeWrite.reset(pipeEnds[1]);
    if (!openMissingSockets(error) || !openTcpListeners(error) || !openControlSocket(error)) {
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void CSimNetwork::stop() {
    if (!m_thread.joinable()) {
        return;
    }
    m_stop = true;
    wake();
    m_thread.join();
}

bool CSimNetwork::openMissingSockets(QString& error) {
    QList<int> unattached;
    for (size_t g = 0; g < m_gatewaySockets.size(); ++g) {
        if (m_gatewaySockets[g].isValid()) {
            continue;
        }
        const int gateway = static_cast<int>(g);
        const quint32 address = m_site.gateways()[gateway].address();
        const int socket = openSocket(address, m_options.sendPort, error);
        if (socket < 0) {
            return false;
        }
        attachGatewaySocket(gateway, socket);
        unattached.append(gateway);
    }
    return openBroadcastSockets(unattached, error);
}

bool CSimNetwork::openBroadcastSockets(const QList<int>& gateways, QString& error) {
    if (gateways.isEmpty()) {
        return true;
    }
    QMap<quint32, QList<int>> bySubnet;
    for (const int gateway : gateways) {
        const quint32 address = m_site.gateways()[gateway].address();
        if (const auto broadcast = subnetBroadcast(address); broadcast && *broadcast != address) {
            bySubnet[*broadcast].append(gateway);
        }
    }
    if (m_options.limitedBroadcast) {
        bySubnet[CIpv4Address::kBroadcast] = gateways;
    }
    for (auto subnet = bySubnet.cbegin(); subnet != bySubnet.cend(); ++subnet) {
        const int socket = openSocket(subnet.key(), m_options.sendPort, error);
        if (socket < 0) {
            return false;
        }
        Listener listener;
        listener.socket.reset(socket);
        listener.gateways = subnet.value();
        listener.arrival = {0, m_options.sendPort};
        listener.broadcast = true;
        m_listeners.push_back(std::move(listener));
    }
    return true;
}

bool CSimNetwork::openTcpListeners(QString& error) {
    if (m_options.tcpPort <= 0) {
        return true;
    }
    for (size_t g = 0; g < m_hasTcpListener.size(); ++g) {
        if (m_hasTcpListener[g]) {
            continue;
        }
        const int gateway = static_cast<int>(g);
        const int socket =
            openTcpListener(m_site.gateways()[gateway].address(), m_options.tcpPort, error);
        if (socket < 0) {
            return false;
        }
        attachGatewayTcpListener(gateway, socket);
    }
    return true;
}

bool CSimNetwork::openControlSocket(QString& error) {
    if (m_options.controlPort <= 0) {
        return true;
    }
    const quint32 loopback = CIpv4Address::fromHostOrder(INADDR_LOOPBACK);
    const int socket = openSocket(loopback, m_options.controlPort, error);
    if (socket < 0) {
        return false;
    }
    Listener listener;
    listener.kind = Listener::Kind::Control;
    listener.socket.reset(socket);
    m_listeners.push_back(std::move(listener));
    return true;
}

void CSimNetwork::run() {
    std::vector<pollfd> watched;
    while (!m_stop) {
        watched.clear();
        watched.push_back({m_wakeRead.get(), POLLIN, 0});
        for (const Listener& listener : m_listeners) {
            watched.push_back({listener.socket.get(), POLLIN, 0});
        }
        const int ready = ::poll(watched.data(), watched.size(), pollTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (watched[0].revents != 0) {
            char drained[64];
            while (::read(m_wakeRead.get(), drained, sizeof drained) > 0) {
            }
        }
        // Connections accepted now join the list at its end and the poll next time.
        auto listener = m_listeners.begin();
        for (size_t at = 1; at < watched.size(); ++at, ++listener) {
            if (watched[at].revents != 0) {
                serve(*listener);
            }
        }
        m_listeners.remove_if([](const Listener& one) { return one.closed; });
        sendDue();
    }
}

void CSimNetwork::serve(Listener& listener) {
    switch (listener.kind) {
        case Listener::Kind::Datagrams:
            receiveFrom(listener);
            break;
        case Listener::Kind::Control:
            handleControl(listener);
            break;
        case Listener::Kind::TcpListener:
            accept(listener);
            break;
        case Listener::Kind::TcpConnection:
            readConnection(listener);
            break;
    }
}

void CSimNetwork::receiveFrom(Listener& listener) {
    char buffer[kReceiveBuffer];
    for (int i = 0; i < kBurst; ++i) {
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t size =
            ::recvfrom(listener.socket.get(), buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                       reinterpret_cast<sockaddr*>(&sender), &length);
        if (size < 0) {
            return;
        }
        if (size > kReceiveBuffer) {
            ++m_oversize;
            continue;
        }
        QList<int> hearing;
        {
            std::lock_guard lock(m_siteMutex);
            for (const int gateway : listener.gateways) {
                if (!m_site.losesCommand()) {
                    hearing.append(gateway);
                }
            }
        }
        if (hearing.isEmpty()) {
            continue;  // lost on the way: nobody heard it, nothing to record
        }
        CSimCommandJournal::Entry entry =
            journalEntry(listener, hearing, QByteArrayView(buffer, size), sender.sin_addr.s_addr);
        for (const int gateway : hearing) {
            handleCommand(gateway, QByteArrayView(buffer, size), sender.sin_addr.s_addr,
                          listener.arrival);
        }
        m_journal.record(std::move(entry));
    }
}

// Made before the gateways handle the command (which may move them) and recorded after,
// so that whoever reads the journal finds the command in effect.
CSimCommandJournal::Entry CSimNetwork::journalEntry(const Listener& listener,
                                                    const QList<int>& gateways,
                                                    QByteArrayView command, quint32 sender) {
    CSimCommandJournal::Entry entry;
    entry.sender = sender;
    entry.text = command.toByteArray();
    entry.broadcast = listener.broadcast;
    entry.tcp = listener.kind == Listener::Kind::TcpConnection;
    {
        std::lock_guard lock(m_siteMutex);
        for (const int gateway : gateways) {
            entry.heardBy.append(m_site.gateways()[gateway].address());
        }
    }
    return entry;
}

void CSimNetwork::handleCommand(int gateway, QByteArrayView command, quint32 sender,
                                const CSimArrival& arrival) {
    {
        std::lock_guard lock(m_siteMutex);
        m_site.receive(gateway, command, sender, nowMs(), arrival);
    }
    followMovedGateway(gateway);
}

void CSimNetwork::followMovedGateway(int gateway) {
    CSimArrival now;
    {
        std::lock_guard lock(m_siteMutex);
        const CSimGateway& moved = m_site.gateways()[gateway];
        now = {moved.address(), moved.listenPort().value_or(m_options.sendPort)};
    }
    CSimArrival& listening = m_listeningAt[static_cast<size_t>(gateway)];
    // A socket of the gateway's own namespace, bound to any address, follows an address
    // by itself; a port it does not.
    const bool addressMoved = listening.address != 0 && listening.address != now.address;
    if (!addressMoved && listening.port == now.port) {
        return;
    }
    QString error;
    const int socket = openSocket(listening.address == 0 ? 0 : now.address, now.port, error);
    if (socket < 0) {
        return;  // this namespace has no such address: the gateway is out of reach
    }
    const bool portMoved = listening.port != now.port;
    attachGatewaySocket(gateway, socket);
    if (!portMoved) {
        return;
    }
    QList<quint32> broadcasts;
    if (const auto subnet = subnetBroadcast(now.address); subnet && *subnet != now.address) {
        broadcasts.append(*subnet);
    }
    if (m_options.limitedBroadcast) {
        broadcasts.append(CIpv4Address::kBroadcast);
    }
    for (const quint32 broadcast : broadcasts) {
        const int heard = openSocket(broadcast, now.port, error);
        if (heard >= 0) {
            Listener listener;
            listener.socket.reset(heard);
            listener.gateways = {gateway};
            listener.arrival = {0, now.port};
            listener.broadcast = true;
            m_listeners.push_back(std::move(listener));
        }
    }
}

void CSimNetwork::accept(Listener& listener) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    CFileDescriptor connection(::accept4(listener.socket.get(), reinterpret_cast<sockaddr*>(&peer),
                                         &length, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.isValid()) {
        return;
    }
    const int gateway = listener.gateways.front();
    const auto open =
        std::count_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& one) {
            return one.kind == Listener::Kind::TcpConnection && !one.closed &&
                   one.gateways.front() == gateway;
        });
    if (open >= kMaxConnections) {
        return;
    }
    // The greeting a gateway's command port opens with; the program reads and drops it.
    static const QByteArray kGreeting = "UBRIX READY\r\n";
    ::send(connection.get(), kGreeting.constData(), static_cast<size_t>(kGreeting.size()),
           MSG_NOSIGNAL);
    Listener added;
    added.kind = Listener::Kind::TcpConnection;
    added.socket = std::move(connection);
    added.gateways = {gateway};
    added.peer = peer.sin_addr.s_addr;
    m_listeners.push_back(std::move(added));
}

// A stream has no datagrams: a command ends at ";", CR or LF, or where the bytes that
// have arrived end (the program sends some commands with no terminator at all, one per
// send).
void CSimNetwork::readConnection(Listener& listener) {
    char buffer[kReceiveBuffer];
    const ssize_t size = ::recv(listener.socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (size == 0 || (size < 0 && errno != EAGAIN && errno != EINTR)) {
        listener.closed = true;
        return;
    }
    if (size < 0) {
        return;
    }
    listener.pending.append(buffer, size);
    const int gateway = listener.gateways.front();
    qsizetype start = 0;
    for (qsizetype i = 0; i < listener.pending.size(); ++i) {
        const char c = listener.pending[i];
        if (c != ';' && c != '\r' && c != '\n') {
            continue;
        }
        if (c == '\r' && i + 1 < listener.pending.size() && listener.pending[i + 1] == '\n') {
            ++i;
        }
        const QByteArrayView command(listener.pending.constData() + start, i + 1 - start);
        if (!command.trimmed().isEmpty()) {
            ++m_tcpCommands;
            CSimCommandJournal::Entry entry =
                journalEntry(listener, listener.gateways, command, listener.peer);
            handleCommand(gateway, command, listener.peer);
            m_journal.record(std::move(entry));
        }
        start = i + 1;
    }
    const QByteArrayView rest = QByteArrayView(listener.pending).sliced(start);
    if (!rest.trimmed().isEmpty() && rest.size() <= CSimCommand::kMaxLength) {
        ++m_tcpCommands;
        CSimCommandJournal::Entry entry =
            journalEntry(listener, listener.gateways, rest, listener.peer);
        handleCommand(gateway, rest, listener.peer);
        m_journal.record(std::move(entry));
    }
    listener.pending.clear();
}

void CSimNetwork::handleControl(Listener& listener) {
    char buffer[kReceiveBuffer];
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t size = ::recvfrom(listener.socket.get(), buffer, sizeof buffer, MSG_DONTWAIT,
                                    reinterpret_cast<sockaddr*>(&sender), &length);
    if (size <= 0) {
        return;
    }
    const QByteArray answer = control(QByteArray(buffer, size));
    ::sendto(listener.socket.get(), answer.constData(), static_cast<size_t>(answer.size()),
             MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sender), length);
}

void CSimNetwork::sendDue() {
    QList<CSimOutgoing> due;
    {
        std::lock_guard lock(m_siteMutex);
        due = m_site.takeDue(nowMs());
    }
    for (const CSimOutgoing& outgoing : due) {
        if (m_options.allowedMask != 0 &&
            (outgoing.to & m_options.allowedMask) != m_options.allowedNetwork) {
            ++m_refused;
            continue;
        }
        const sockaddr_in destination = CIpv4Address::toSocketAddress(
            outgoing.to, outgoing.port != 0 ? outgoing.port : m_options.replyPort);
        const int socket = m_gatewaySockets[static_cast<size_t>(outgoing.gateway)].get();
        if (::sendto(socket, outgoing.bytes.constData(), static_cast<size_t>(outgoing.bytes.size()),
                     MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&destination),
                     sizeof destination) >= 0) {
            ++m_sent;
        }
    }
}

int CSimNetwork::pollTimeoutMs() {
    std::lock_guard lock(m_siteMutex);
    const auto due = m_site.nextDueMs();
    if (!due) {
        return -1;
    }
    return static_cast<int>(std::clamp<qint64>(*due - nowMs(), 0, kLongestPollMs));
}

qint64 CSimNetwork::nowMs() const {
    return m_clock.now().toMSecsSinceEpoch();
}

bool CSimNetwork::pressDiscoverButton(int gateway, quint32 serial) {
    bool pressed = false;
    {
        std::lock_guard lock(m_siteMutex);
        pressed = m_site.pressDiscoverButton(gateway, serial, nowMs());
    }
    wake();
    return pressed;
}

QByteArray CSimNetwork::control(const QByteArray& line) {
    return CSimControl::execute(*this, line).answer;
}

void CSimNetwork::wake() {
    if (m_wakeWrite.isValid()) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeWrite.get(), &byte, 1);
    }
}

CSimNetwork::Counters CSimNetwork::counters() const {
    Counters counters;
    {
        std::lock_guard lock(m_siteMutex);
        counters.site = m_site.counters();
    }
    counters.sent = m_sent;
    counters.refused = m_refused;
    counters.oversize = m_oversize;
    counters.tcpCommands = m_tcpCommands;
    return counters;
}

std::unique_ptr<CSimNetwork> CSimNetwork::startDemo(int gateways, int devicesPerGateway,
                                                    const QString& templateFolder, QString& error,
                                                    Options options, int unaddressedPerGateway) {
    auto models = std::make_shared<CSimModels>();
    if (!models->load(templateFolder, error)) {
        return nullptr;
    }
    CSimSiteConfig config;
    for (int g = 0; g < gateways; ++g) {
        config.addresses.append(CIpv4Address::fromHostOrder(INADDR_LOOPBACK + 1u + g));
    }
    config.devicesPerGateway = devicesPerGateway;
    config.unaddressedPerGateway = unaddressedPerGateway;
    auto site = CSimSiteBuilder::build(models, config, error);
    if (!site) {
        return nullptr;
    }
    options.limitedBroadcast = false;
    options.allowedNetwork = CIpv4Address::fromHostOrder(INADDR_LOOPBACK & 0xFF000000u);
    options.allowedMask = CIpv4Address::fromHostOrder(0xFF000000u);
    auto network = std::make_unique<CSimNetwork>(std::move(*site), options);
    if (!network->start(error)) {
        return nullptr;
    }
    return network;
}
