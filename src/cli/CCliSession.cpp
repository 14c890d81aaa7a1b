#include "CCliSession.h"

#include "protocol/CCommands.h"
#include "protocol/CTrafficRendering.h"
#include "transport/CIpv4Address.h"
#include "transport/CUDPListener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int /*signal*/) {
    g_interrupted.store(true);
}

QString dotted(quint32 address) {
    return QString::fromLatin1(CIpv4Address::toDotted(address));
}

}  // namespace

CCliSession::CCliSession(const CCliOptions& options, QTextStream& out, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_out(out),
      m_errorLog(CSystemClock::instance()),
      m_doc(m_settings, m_notifier, m_errorLog),
      m_transport(m_notifier, CSystemClock::instance(), m_doc.inboundQueue(),
                  m_doc.firewallSuspect()) {
    m_settings.log = 0;
    m_settings.sendPort = options.sendPort;
    m_settings.recvPort = options.receivePort;
    m_settings.mode = options.tcp ? CTransport::kModeTcp : CTransport::kModeUdp;
    connect(&m_transport, &CTransport::rxQueued, this, [this] {
        m_lastReply = std::chrono::steady_clock::now();
        m_doc.AddMsg();
    });
    connect(&m_doc, &CUbrixVorelDoc::updateAllViews, this, [this](quint32 hint) {
        if (hint == CUbrixVorelDoc::kHintTrafficLine && m_printTraffic) {
            const QByteArray& line = m_doc.trafficHistory().back();
            m_out << QString::fromUtf8(
                         CTrafficRendering::render(line, m_options.showTime, m_options.showSender))
                  << '\n';
            m_out.flush();
        }
    });
}

int CCliSession::run() {
    switch (m_options.command) {
        case CCliOptions::Command::Adapters:
            return listAdapters();
        case CCliOptions::Command::Discover:
            return discover();
        case CCliOptions::Command::Query:
            return query();
        case CCliOptions::Command::Send:
            return send();
        case CCliOptions::Command::Monitor:
            return monitor();
        case CCliOptions::Command::Collect:
            return collect();
        default:
            return CCliOptions::kExitUsage;
    }
}

int CCliSession::listAdapters() {
    const CAdapterTable table = CAdapterTable::fromCandidates(CAdapterTable::systemCandidates());
    for (int i = 0; i < table.count(); ++i) {
        const CAdapterEntry& entry = table.entries()[i];
        m_out << i << '\t' << dotted(entry.address) << '\t'
              << (entry.isWired() ? "wired" : "wireless") << '\t' << entry.name
              << (i == table.selected() ? "\t(selected)" : "") << '\n';
    }
    if (!table.startupMessage().isEmpty()) {
        m_notifier.showMessage(table.startupMessage());
    }
    return table.count() > 0 ? CCliOptions::kExitOk : CCliOptions::kExitNothingAnswered;
}

bool CCliSession::selectAdapter() {
    CAdapterTable table = CAdapterTable::fromCandidates(CAdapterTable::systemCandidates());
    if (m_options.loopback) {
        table.addDemoAdapter();
    } else if (!m_options.adapter.isEmpty()) {
        bool isNumber = false;
        const int index = m_options.adapter.toInt(&isNumber);
        int found = isNumber && index >= 0 && index < table.count() ? index : -1;
        for (int i = 0; found < 0 && i < table.count(); ++i) {
            const CAdapterEntry& entry = table.entries()[i];
            if (entry.name == m_options.adapter || dotted(entry.address) == m_options.adapter) {
                found = i;
            }
        }
        if (found < 0) {
            m_notifier.showMessage(
                QStringLiteral("no adapter %1 (see 'vorel-cli adapters')").arg(m_options.adapter));
            return false;
        }
        table.select(found);
    } else if (!table.startupMessage().isEmpty()) {
        m_notifier.showMessage(table.startupMessage());
    }
    m_transport.setAdapters(std::move(table));
    return true;
}

bool CCliSession::start() {
    if (!selectAdapter()) {
        return false;
    }
    m_doc.newPlan();
    m_transport.applySettings(m_settings);
    const int before = m_notifier.count();
    m_transport.StartTransport();
    CUDPListener* listener = m_transport.listener();
    if (listener == nullptr || !listener->isRunning() || m_notifier.count() != before) {
        m_receiveFailed = true;
        return false;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return true;
}

bool CCliSession::sendTo(const QByteArray& text, quint32 address) {
    m_lastReply = std::chrono::steady_clock::now();
    return m_transport.SendText(text, address);
}

void CCliSession::waitFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

void CCliSession::waitForReplies() {
    using namespace std::chrono;
    QElapsedTimer elapsed;
    elapsed.start();
    m_lastReply = steady_clock::now();
    while (!g_interrupted.load() && elapsed.elapsed() < m_options.waitMs) {
        waitFor(milliseconds(25));
        if (steady_clock::now() - m_lastReply >= milliseconds(m_options.quietMs)) {
            break;
        }
    }
    drainQueue();
}

void CCliSession::drainQueue() {
    QCoreApplication::processEvents();
    // A keypad status or a query echo ends a drain; the lines behind it still count.
    for (int drains = 0; drains < 10000 && !m_doc.inboundQueue().isEmpty(); ++drains) {
        m_doc.AddMsg();
    }
}

void CCliSession::progress(const QString& text) const {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QList<QByteArray> CCliSession::gatewayAddresses() const {
    QList<QByteArray> addresses;
    for (const pugi::xpath_node& hit :
         m_doc.plan().select_nodes("//Device_Configuration/UBRIX[@IP]")) {
        addresses << QByteArray(hit.node().attribute("IP").value());
    }
    return addresses;
}

void CCliSession::printGateways() {
    for (const pugi::xpath_node& hit :
         m_doc.plan().select_nodes("//Device_Configuration/UBRIX[@IP]")) {
        const pugi::xml_node gateway = hit.node();
        m_out << gateway.attribute("IP").value() << '\t'
              << QString::fromUtf8(gateway.child("NAME").text().get()) << '\n';
    }
}

int CCliSession::discover() {
    if (!start()) {
        return CCliOptions::kExitNetwork;
    }
    if (!m_transport.SendUdp(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast,
                             m_settings.sendPort)) {
        return CCliOptions::kExitNetwork;
    }
    waitForReplies();
    printGateways();
    return gatewayAddresses().isEmpty() ? CCliOptions::kExitNothingAnswered : CCliOptions::kExitOk;
}

namespace {
// "path=value" for every leaf below element, ports as "A.", indexed settings with ".n".
void printSettings(QTextStream& out, const pugi::xml_node& element, const QString& prefix) {
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        QString name = QString::fromUtf8(child.name());
        if (name == QLatin1String("PORT") && child.attribute("P")) {
            name = QString::fromUtf8(child.attribute("P").value());
        }
        const bool leaf = !child.first_child() || child.first_child().type() == pugi::node_pcdata;
        if (leaf) {
            QString path = prefix + name;
            if (child.attribute("A")) {
                path += QLatin1Char('.') + QString::fromUtf8(child.attribute("A").value());
            }
            out << path << '=' << QString::fromUtf8(child.text().get()) << '\n';
        } else {
            printSettings(out, child, prefix + name + QLatin1Char('.'));
        }
    }
}
}  // namespace

int CCliSession::query() {
    bool ok = false;
    const quint32 address = CIpv4Address::fromDotted(m_options.target.toLatin1(), &ok);
    if (!ok) {
        m_notifier.showMessage(QStringLiteral("%1 is not an IPv4 address").arg(m_options.target));
        return CCliOptions::kExitUsage;
    }
    if (!start()) {
        return CCliOptions::kExitNetwork;
    }
    if (!sendTo(CCommands::gatewayFullQuery(), address)) {
        return CCliOptions::kExitNetwork;
    }
    waitForReplies();
    const std::string ip = CIpv4Address::toDotted(address).toStdString();
    for (const pugi::xpath_node& hit :
         m_doc.plan().select_nodes("//Device_Configuration/UBRIX[@IP]")) {
        if (ip == hit.node().attribute("IP").value()) {
            printSettings(m_out, hit.node(), QString());
            return CCliOptions::kExitOk;
        }
    }
    return CCliOptions::kExitNothingAnswered;
}

int CCliSession::send() {
    quint32 address = CIpv4Address::kBroadcast;
    if (!m_options.destination.isEmpty()) {
        bool ok = false;
        address = CIpv4Address::fromDotted(m_options.destination.toLatin1(), &ok);
        if (!ok) {
            m_notifier.showMessage(
                QStringLiteral("%1 is not an IPv4 address").arg(m_options.destination));
            return CCliOptions::kExitUsage;
        }
    }
    if (!start()) {
        return CCliOptions::kExitNetwork;
    }
    m_printTraffic = true;
    QByteArray text = m_options.target.toLatin1();
    if (m_options.appendCr) {
        text += '\r';
    }
    if (!sendTo(text, address)) {
        return CCliOptions::kExitNetwork;
    }
    waitForReplies();
    return CCliOptions::kExitOk;
}

int CCliSession::monitor() {
    if (!start()) {
        return CCliOptions::kExitNetwork;
    }
    m_printTraffic = true;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 limit = static_cast<qint64>(m_options.durationSeconds) * 1000;
    while (!g_interrupted.load() && (limit == 0 || elapsed.elapsed() < limit)) {
        waitFor(std::chrono::milliseconds(50));
    }
    drainQueue();
    return CCliOptions::kExitOk;
}

int CCliSession::collect() {
    if (!start()) {
        return CCliOptions::kExitNetwork;
    }
    progress(QStringLiteral("Looking for gateways..."));
    if (!m_transport.SendUdp(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast,
                             m_settings.sendPort)) {
        return CCliOptions::kExitNetwork;
    }
    waitForReplies();
    const QList<QByteArray> gateways = gatewayAddresses();
    if (gateways.isEmpty()) {
        progress(QStringLiteral("No gateway answered."));
        return CCliOptions::kExitNothingAnswered;
    }
    progress(
        QStringLiteral("%1 gateway(s) found. Reading their settings and registering their buses...")
            .arg(gateways.size()));
    for (const QByteArray& gateway : gateways) {
        const quint32 address = CIpv4Address::fromDotted(gateway);
        sendTo(CCommands::gatewayFullQuery(), address);
        waitFor(std::chrono::milliseconds(m_options.paceMs));
        sendTo(CCommands::busRegister(), address);
        waitFor(std::chrono::milliseconds(m_options.paceMs));
    }
    waitForReplies();

    struct Device {
        quint32 gateway;
        int uid;
    };
    QList<Device> devices;
    for (const pugi::xpath_node& hit :
         m_doc.plan().select_nodes("//Network_Configuration/UBRIX[@IP]/DEVICE[@UID]")) {
        const pugi::xml_node device = hit.node();
        devices.append(
            {CIpv4Address::fromDotted(QByteArray(device.parent().attribute("IP").value())),
             device.attribute("UID").as_int()});
    }
    for (qsizetype i = 0; i < devices.size() && !g_interrupted.load(); ++i) {
        progress(QStringLiteral("Reading device %1 of %2 (UID %3 behind %4)")
                     .arg(i + 1)
                     .arg(devices.size())
                     .arg(devices[i].uid)
                     .arg(dotted(devices[i].gateway)));
        sendTo(CCommands::busDeviceQuery(devices[i].uid), devices[i].gateway);
        waitFor(std::chrono::milliseconds(m_options.paceMs));
    }
    waitForReplies();
    return savedMap();
}

int CCliSession::savedMap() {
    if (!m_doc.saveMapFile(m_options.mapFile)) {
        return CCliOptions::kExitFile;
    }
    const size_t devices = m_doc.plan().select_nodes("//Device_Configuration/DEVICE").size();
    progress(QStringLiteral("%1 gateway(s) and %2 bus device(s) saved to %3")
                 .arg(gatewayAddresses().size())
                 .arg(devices)
                 .arg(m_options.mapFile));
    return CCliOptions::kExitOk;
}
