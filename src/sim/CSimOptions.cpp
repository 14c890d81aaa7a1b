#include "sim/CSimOptions.h"

#include "core/transport/CIpv4Address.h"

#include <QCommandLineParser>

namespace {

const QString kDescription = QStringLiteral(
    "A simulated site of Ubrix gateways with devices on their buses, to try the program "
    "and vorel-cli without hardware.\n"
    "Each gateway answers from its own address, which must be on an interface of the "
    "network namespace it runs in (for example: ip addr add 10.77.1.10/24 dev <link>); "
    "addresses in 127.0.0.0/8 need no setup, and a site on them answers loopback only.\n"
    "Type 'help' on standard input, or send it to the control port, for the control lines "
    "(press a device's discover button, remove or add a device, list, stats, quit).");

struct Parsed {
    QCommandLineParser parser;
    QCommandLineOption gateways{QStringLiteral("gateways"), QStringLiteral("Number of gateways."),
                                QStringLiteral("n"), QStringLiteral("1")};
    QCommandLineOption devices{QStringLiteral("devices"),
                               QStringLiteral("Devices on each gateway's bus."),
                               QStringLiteral("m"), QStringLiteral("4")};
    QCommandLineOption baseAddress{QStringLiteral("base-address"),
                                   QStringLiteral("Address of the first gateway; the next "
                                                  "ones count up from it."),
                                   QStringLiteral("ip"), QStringLiteral("10.77.1.10")};
    QCommandLineOption addresses{QStringLiteral("addresses"),
                                 QStringLiteral("The gateways' addresses, comma-separated "
                                                "(instead of --gateways and --base-address)."),
                                 QStringLiteral("list")};
    QCommandLineOption sendPort{QStringLiteral("send-port"),
                                QStringLiteral("Port the gateways listen on."),
                                QStringLiteral("port"), QStringLiteral("5000")};
    QCommandLineOption recvPort{QStringLiteral("recv-port"),
                                QStringLiteral("Port the replies go to."), QStringLiteral("port"),
                                QStringLiteral("4000")};
    QCommandLineOption types{QStringLiteral("types"),
                             QStringLiteral("Device types, comma-separated, taken in turn; "
                                            "'all' for every bus device type (default: the "
                                            "bus device model templates)."),
                             QStringLiteral("list")};
    QCommandLineOption gatewayTypes{QStringLiteral("gateway-types"),
                                    QStringLiteral("Gateway types, comma-separated, taken in "
                                                   "turn (default: the gateway templates)."),
                                    QStringLiteral("list")};
    QCommandLineOption unaddressed{QStringLiteral("unaddressed"),
                                   QStringLiteral("The last k devices of each bus have no UID."),
                                   QStringLiteral("k"), QStringLiteral("0")};
    QCommandLineOption drop{QStringLiteral("drop"),
                            QStringLiteral("Share of replies to lose, 0 to 1."),
                            QStringLiteral("share"), QStringLiteral("0")};
    QCommandLineOption dropCommands{
        QStringLiteral("drop-commands"),
        QStringLiteral("Share of commands to lose before a gateway hears them, 0 to 1."),
        QStringLiteral("share"), QStringLiteral("0")};
    QCommandLineOption delay{QStringLiteral("delay-ms"), QStringLiteral("Delay of every reply."),
                             QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption wrongType{QStringLiteral("wrong-type"),
                                 QStringLiteral("Report another type of the same family.")};
    QCommandLineOption malformed{QStringLiteral("malformed"), QStringLiteral("Spoil every reply.")};
    QCommandLineOption malformedShare{QStringLiteral("malformed-share"),
                                      QStringLiteral("Spoil this share of the replies."),
                                      QStringLiteral("share")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("Seed of the fault choices."),
                            QStringLiteral("n"), QStringLiteral("1")};
    QCommandLineOption gatewayMs{QStringLiteral("gateway-ms"),
                                 QStringLiteral("A gateway answers its own commands this much "
                                                "later."),
                                 QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption busMs{QStringLiteral("bus-ms"),
                             QStringLiteral("A device answers this much after its bus is free "
                                            "(one bus per gateway, one command at a time)."),
                             QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption busSettingMs{QStringLiteral("bus-setting-ms"),
                                    QStringLiteral("Bus time of every setting a device reports."),
                                    QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption jitterMs{QStringLiteral("jitter-ms"),
                                QStringLiteral("Every reply up to this much later, drawn from "
                                               "the seed."),
                                QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption fault{QStringLiteral("fault"),
                             QStringLiteral("Make one gateway, or one device on its bus, "
                                            "misbehave: '<gateway> [<uid>] <kinds>', kinds "
                                            "other-type, silent, refuses-sets, unannounced "
                                            "(comma-separated). Repeatable."),
                             QStringLiteral("spec")};
    QCommandLineOption restartSilence{QStringLiteral("restart-silence-ms"),
                                      QStringLiteral("How long a restarting gateway is silent."),
                                      QStringLiteral("ms"), QStringLiteral("3000")};
    QCommandLineOption controlPort{QStringLiteral("control-port"),
                                   QStringLiteral("UDP port on 127.0.0.1 for control lines."),
                                   QStringLiteral("port"), QStringLiteral("0")};
    QCommandLineOption tcpPort{QStringLiteral("tcp-port"),
                               QStringLiteral("TCP port on each gateway's address for commands "
                                              "over a kept connection (a gateway's is 23); "
                                              "0: none."),
                               QStringLiteral("port"), QStringLiteral("0")};
    QCommandLineOption templates{QStringLiteral("templates"),
                                 QStringLiteral("Folder of the model templates (default: beside "
                                                "the program, or where it is installed)."),
                                 QStringLiteral("dir")};
    QCommandLineOption quiet{QStringLiteral("quiet"),
                             QStringLiteral("Do not list the site at start.")};
    QCommandLineOption logCommands{
        QStringLiteral("log-commands"),
        QStringLiteral("Print every command received: \"<- sender to gateways: text\".")};

    Parsed() {
        parser.setApplicationDescription(kDescription);
        parser.addHelpOption();
        parser.addOptions({gateways,       devices,     baseAddress,  addresses,      sendPort,
                           recvPort,       types,       gatewayTypes, unaddressed,    drop,
                           delay,          wrongType,   malformed,    malformedShare, seed,
                           restartSilence, controlPort, tcpPort,      templates,      quiet,
                           gatewayMs,      busMs,       busSettingMs, jitterMs,       fault,
                           logCommands,    dropCommands});
    }
};

bool readInt(const QString& text, int low, int high, int& out) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool readShare(const QString& text, double& out) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0.0 && value <= 1.0)) {
        return false;
    }
    out = value;
    return true;
}

QList<QByteArray> readList(const QString& text) {
    QList<QByteArray> items;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        items.append(item.trimmed().toLatin1());
    }
    return items;
}

QString wrong(const QCommandLineOption& option, const QString& value) {
    return QStringLiteral("invalid value for --%1: %2").arg(option.names().front(), value);
}

bool readAddresses(const Parsed& parsed, int count, QList<quint32>& out, QString& message) {
    if (parsed.parser.isSet(parsed.addresses)) {
        for (const QByteArray& text : readList(parsed.parser.value(parsed.addresses))) {
            bool ok = false;
            const quint32 address = CIpv4Address::fromDotted(text, &ok);
            if (!ok) {
                message = wrong(parsed.addresses, QString::fromLatin1(text));
                return false;
            }
            out.append(address);
        }
        if (out.isEmpty()) {
            message = wrong(parsed.addresses, parsed.parser.value(parsed.addresses));
            return false;
        }
        return true;
    }
    bool ok = false;
    const QString baseText = parsed.parser.value(parsed.baseAddress);
    const quint32 base =
        CIpv4Address::toHostOrder(CIpv4Address::fromDotted(baseText.toLatin1(), &ok));
    // Counting up never reaches a last byte of 255, a subnet's broadcast address.
    if (!ok || (base & 0xFFu) + static_cast<quint32>(count) > 255u) {
        message = wrong(parsed.baseAddress, baseText);
        return false;
    }
    for (int g = 0; g < count; ++g) {
        out.append(CIpv4Address::fromHostOrder(base + static_cast<quint32>(g)));
    }
    return true;
}

bool allOnLoopback(const QList<quint32>& addresses) {
    for (const quint32 address : addresses) {
        if ((CIpv4Address::toHostOrder(address) >> 24) != 127u) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<CSimOptions> CSimOptions::parse(const QStringList& arguments, QString& message,
                                              bool& helpAsked) {
    Parsed parsed;
    helpAsked = false;
    if (!parsed.parser.parse(arguments)) {
        message = parsed.parser.errorText();
        return std::nullopt;
    }
    if (parsed.parser.isSet(QStringLiteral("help"))) {
        helpAsked = true;
        message = parsed.parser.helpText();
        return std::nullopt;
    }
    if (!parsed.parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("unexpected argument: %1")
                      .arg(parsed.parser.positionalArguments().front());
        return std::nullopt;
    }
    CSimOptions options;
    const QCommandLineParser& p = parsed.parser;
    int gateways = 0;
    struct IntOption {
        const QCommandLineOption& option;
        int low, high;
        int& out;
    };
    const IntOption ints[] = {
        {parsed.gateways, 1, 250, gateways},
        {parsed.devices, 0, CSimSiteConfig::kMaxDevicesPerGateway, options.site.devicesPerGateway},
        {parsed.sendPort, 1, 65535, options.network.sendPort},
        {parsed.recvPort, 1, 65535, options.network.replyPort},
        {parsed.unaddressed, 0, CSimSiteConfig::kMaxDevicesPerGateway,
         options.site.unaddressedPerGateway},
        {parsed.delay, 0, 600000, options.faults.delayMs},
        {parsed.controlPort, 0, 65535, options.network.controlPort},
        {parsed.tcpPort, 0, 65535, options.network.tcpPort},
        {parsed.gatewayMs, 0, 600000, options.latency.gatewayMs},
        {parsed.busMs, 0, 600000, options.latency.busMs},
        {parsed.busSettingMs, 0, 60000, options.latency.busPerSettingMs},
        {parsed.jitterMs, 0, 60000, options.latency.jitterMs},
    };
    for (const IntOption& entry : ints) {
        if (!readInt(p.value(entry.option), entry.low, entry.high, entry.out)) {
            message = wrong(entry.option, p.value(entry.option));
            return std::nullopt;
        }
    }
    int silence = 0;
    if (!readInt(p.value(parsed.restartSilence), 0, 600000, silence)) {
        message = wrong(parsed.restartSilence, p.value(parsed.restartSilence));
        return std::nullopt;
    }
    options.restartSilenceMs = silence;
    if (!readShare(p.value(parsed.drop), options.faults.dropShare)) {
        message = wrong(parsed.drop, p.value(parsed.drop));
        return std::nullopt;
    }
    if (!readShare(p.value(parsed.dropCommands), options.faults.commandDropShare)) {
        message = wrong(parsed.dropCommands, p.value(parsed.dropCommands));
        return std::nullopt;
    }
    options.faults.malformedShare = p.isSet(parsed.malformed) ? 1.0 : 0.0;
    if (p.isSet(parsed.malformedShare) &&
        !readShare(p.value(parsed.malformedShare), options.faults.malformedShare)) {
        message = wrong(parsed.malformedShare, p.value(parsed.malformedShare));
        return std::nullopt;
    }
    options.faults.wrongType = p.isSet(parsed.wrongType);
    bool seedOk = false;
    options.faults.seed = p.value(parsed.seed).toULongLong(&seedOk);
    if (!seedOk) {
        message = wrong(parsed.seed, p.value(parsed.seed));
        return std::nullopt;
    }
    if (!readAddresses(parsed, gateways, options.site.addresses, message)) {
        return std::nullopt;
    }
    const QList<QByteArray> types = readList(p.value(parsed.types));
    options.typesFromSchema = types == QList<QByteArray>{"all"};
    if (!options.typesFromSchema) {
        options.site.deviceTypes = types;
    }
    options.site.gatewayTypes = readList(p.value(parsed.gatewayTypes));
    options.templateFolder = p.value(parsed.templates);
    options.quiet = p.isSet(parsed.quiet);
    options.logCommands = p.isSet(parsed.logCommands);
    for (const QString& spec : p.values(parsed.fault)) {
        options.faultLines.append("fault " + spec.simplified().toLatin1());
    }
    if (allOnLoopback(options.site.addresses)) {
        // A site on this machine's loopback hears and answers nothing else.
        options.network.limitedBroadcast = false;
        options.network.allowedNetwork = CIpv4Address::fromHostOrder(0x7F000000u);
        options.network.allowedMask = CIpv4Address::fromHostOrder(0xFF000000u);
    }
    return options;
}
