#include "sim/CSimControl.h"

#include "core/transport/CIpv4Address.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"

#include <QList>
#include <QString>

namespace {

const QByteArray kHelp =
    "press <gateway> <serial>  press a device's discover button (gateway: number or address)\n"
    "fault <gateway> [<uid>] <kinds>\n"
    "                          make a gateway or device misbehave; kinds: none, or\n"
    "                          other-type, silent, refuses-sets, unannounced\n"
    "                          (comma-separated)\n"
    "remove <gateway> <uid>    the device with that UID leaves the bus for good\n"
    "add <gateway> <type> [sn <serial>]\n"
    "                          a new device without UID joins the bus\n"
    "list                      the gateways and their devices, with how often each was\n"
    "                          identified (and a gateway restarted)\n"
    "show <gateway> [<uid> | sn <serial>]\n"
    "                          the settings of a gateway or a device, path=value\n"
    "stats                     what the site received and sent\n"
    "quit                      end the simulator\n";

CSimControl::Result answer(QByteArray text) {
    return {std::move(text), false};
}

// The gateway's index from its number (from 1) or its dotted address; -1 when neither.
int gatewayIndex(CSimNetwork& network, const QByteArray& word) {
    bool isNumber = false;
    const int number = word.toInt(&isNumber);
    const int count =
        network.withSite([](CSimSite& site) { return static_cast<int>(site.gateways().size()); });
    if (isNumber) {
        return number >= 1 && number <= count ? number - 1 : -1;
    }
    bool isAddress = false;
    const quint32 address = CIpv4Address::fromDotted(word, &isAddress);
    if (!isAddress) {
        return -1;
    }
    return network.withSite([address](CSimSite& site) { return site.gatewayIndex(address); });
}

std::optional<CSimDeviceFaults> readFaults(const QByteArray& kinds) {
    CSimDeviceFaults faults;
    for (const QByteArray& kind : kinds.split(',')) {
        if (kind == "other-type") {
            faults.otherType = true;
        } else if (kind == "silent") {
            faults.silent = true;
        } else if (kind == "refuses-sets") {
            faults.refusesSets = true;
        } else if (kind == "unannounced") {
            faults.unannounced = true;
        } else if (kind != "none") {
            return std::nullopt;
        }
    }
    return faults;
}

// " (other-type, silent)" for a gateway or device with faults; empty for a sound one.
QByteArray faultNote(const CSimDeviceFaults& faults) {
    QList<QByteArray> kinds;
    if (faults.otherType) {
        kinds.append("other-type");
    }
    if (faults.silent) {
        kinds.append("silent");
    }
    if (faults.refusesSets) {
        kinds.append("refuses-sets");
    }
    if (faults.unannounced) {
        kinds.append("unannounced");
    }
    return kinds.isEmpty() ? QByteArray() : " (" + kinds.join(", ") + ")";
}

// "; identified 1; restarts 2": how often the gateway was told to show itself (once it
// was) and to restart. A name never holds ";", so a script finds each count after its own.
QByteArray restartNote(const CSimGateway& gateway) {
    const QByteArray identified =
        gateway.identifyCount() > 0 ? "; identified " + QByteArray::number(gateway.identifyCount())
                                    : QByteArray();
    return identified + "; restarts " + QByteArray::number(gateway.restartCount());
}

// "; identified 2" for a device that was told to show itself; nothing before.
QByteArray identifyNote(const CSimBusDevice& device) {
    return device.identifyCount() > 0 ? "; identified " + QByteArray::number(device.identifyCount())
                                      : QByteArray();
}

QByteArray settingLines(const CSimSettings& settings) {
    QByteArray text;
    for (const CSimSetting& setting : settings.all()) {
        text += setting.address.text() + "=" + setting.value + "\n";
    }
    return text.isEmpty() ? QByteArray("no settings\n") : text;
}

}  // namespace

CSimControl::Result CSimControl::execute(CSimNetwork& network, const QByteArray& line) {
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray& verb = words.front();
    if (verb == "press") {
        return press(network, words);
    }
    if (verb == "fault") {
        return fault(network, words);
    }
    if (verb == "remove") {
        return remove(network, words);
    }
    if (verb == "add") {
        return add(network, words);
    }
    if (verb == "list") {
        return answer(list(network));
    }
    if (verb == "show") {
        return show(network, words);
    }
    if (verb == "stats") {
        return answer(stats(network));
    }
    if (verb == "quit" || verb == "exit") {
        return {"bye\n", true};
    }
    if (verb == "help" || verb.isEmpty()) {
        return answer(kHelp);
    }
    return answer("error: unknown command " + verb + " (try help)\n");
}

CSimControl::Result CSimControl::press(CSimNetwork& network, const QList<QByteArray>& words) {
    if (words.size() != 3) {
        return answer("error: press <gateway> <serial>\n");
    }
    const int gateway = gatewayIndex(network, words[1]);
    bool isSerial = false;
    const quint32 serial = words[2].toUInt(&isSerial);
    if (gateway < 0) {
        return answer("error: no gateway " + words[1] + "\n");
    }
    if (!isSerial || !network.pressDiscoverButton(gateway, serial)) {
        return answer("error: no device with serial number " + words[2] + " on gateway " +
                      words[1] + "\n");
    }
    return answer("pressed " + words[2] + "\n");
}

CSimControl::Result CSimControl::fault(CSimNetwork& network, const QList<QByteArray>& words) {
    if (words.size() != 3 && words.size() != 4) {
        return answer("error: fault <gateway> [<uid>] <kinds>\n");
    }
    const int gateway = gatewayIndex(network, words[1]);
    if (gateway < 0) {
        return answer("error: no gateway " + words[1] + "\n");
    }
    std::optional<quint32> uid;
    if (words.size() == 4) {
        bool isUid = false;
        uid = words[2].toUInt(&isUid);
        if (!isUid) {
            return answer("error: no UID " + words[2] + "\n");
        }
    }
    const auto faults = readFaults(words.back());
    if (!faults) {
        return answer("error: unknown fault " + words.back() + " (none, other-type, silent, " +
                      "refuses-sets, unannounced)\n");
    }
    const bool set = network.withSite(
        [&](CSimSite& site) { return site.setDeviceFaults(gateway, uid, *faults); });
    if (!set) {
        return answer("error: no device with UID " + words[2] + " on gateway " + words[1] + "\n");
    }
    return answer("fault set\n");
}

CSimControl::Result CSimControl::remove(CSimNetwork& network, const QList<QByteArray>& words) {
    if (words.size() != 3) {
        return answer("error: remove <gateway> <uid>\n");
    }
    const int gateway = gatewayIndex(network, words[1]);
    if (gateway < 0) {
        return answer("error: no gateway " + words[1] + "\n");
    }
    bool isUid = false;
    const quint32 uid = words[2].toUInt(&isUid);
    const bool removed =
        isUid && network.withSite([&](CSimSite& site) { return site.removeDevice(gateway, uid); });
    if (!removed) {
        return answer("error: no device with UID " + words[2] + " on gateway " + words[1] + "\n");
    }
    return answer("removed UID " + words[2] + "\n");
}

CSimControl::Result CSimControl::add(CSimNetwork& network, const QList<QByteArray>& words) {
    const bool withSerial = words.size() == 5 && words[3] == "sn";
    if (words.size() != 3 && !withSerial) {
        return answer("error: add <gateway> <type> [sn <serial>]\n");
    }
    const int gateway = gatewayIndex(network, words[1]);
    if (gateway < 0) {
        return answer("error: no gateway " + words[1] + "\n");
    }
    const QByteArray& type = words[2];
    bool isSerial = true;
    const quint32 given = withSerial ? words[4].toUInt(&isSerial) : 0;
    if (!isSerial || (withSerial && given == 0)) {
        return answer("error: no serial number " + words[4] + "\n");
    }
    return network.withSite([&](CSimSite& site) {
        if (!site.models().hasType(type) || site.models().isGatewayType(type)) {
            return answer("error: unknown bus device type " + type + "\n");
        }
        const quint32 serial = withSerial ? given : CSimSiteBuilder::freeSerial(site, gateway);
        if (!site.addDevice(gateway, CSimSiteBuilder::newDevice(site.models(), type, serial))) {
            return answer("error: serial number " + QByteArray::number(serial) + " is taken\n");
        }
        return answer("added SN " + QByteArray::number(serial) + "\n");
    });
}

QByteArray CSimControl::list(CSimNetwork& network) {
    return network.withSite([](CSimSite& site) {
        QByteArray text;
        int number = 1;
        for (const CSimGateway& gateway : site.gateways()) {
            text += "gateway " + QByteArray::number(number++) + " " +
                    CIpv4Address::toDotted(gateway.address()) + " " + gateway.type() + " " +
                    gateway.name() + faultNote(gateway.faults()) + restartNote(gateway) + "\n";
            for (const CSimBusDevice& device : gateway.devices()) {
                text += "  SN " + QByteArray::number(device.serial());
                text += device.uid() ? " UID " + QByteArray::number(*device.uid()) : " no UID";
                text +=
                    " " + device.type() + faultNote(device.faults()) + identifyNote(device) + "\n";
            }
        }
        return text;
    });
}

CSimControl::Result CSimControl::show(CSimNetwork& network, const QList<QByteArray>& words) {
    const bool bySerial = words.size() == 4 && words[2] == "sn";
    if (words.size() != 2 && words.size() != 3 && !bySerial) {
        return answer("error: show <gateway> [<uid> | sn <serial>]\n");
    }
    const int gateway = gatewayIndex(network, words[1]);
    if (gateway < 0) {
        return answer("error: no gateway " + words[1] + "\n");
    }
    bool isNumber = false;
    const quint32 number = words.size() > 2 ? words.back().toUInt(&isNumber) : 0;
    return network.withSite([&](CSimSite& site) {
        CSimGateway& target = site.gateways()[gateway];
        if (words.size() == 2) {
            return answer(settingLines(target.settings()));
        }
        CSimBusDevice* device = !isNumber  ? nullptr
                                : bySerial ? target.deviceBySerial(number)
                                           : target.deviceByUid(number);
        if (device == nullptr) {
            return answer("error: no device with " +
                          QByteArray(bySerial ? "serial number " : "UID ") + words.back() +
                          " on gateway " + words[1] + "\n");
        }
        return answer(settingLines(device->settings()));
    });
}

QByteArray CSimControl::stats(CSimNetwork& network) {
    const CSimNetwork::Counters counters = network.counters();
    return QString::asprintf(
               "received %llu, not commands %llu, too long %llu, by TCP %llu, replies %llu, "
               "dropped %llu, malformed %llu, sent %llu, refused %llu, commands lost %llu\n",
               static_cast<unsigned long long>(counters.site.received),
               static_cast<unsigned long long>(counters.site.invalid),
               static_cast<unsigned long long>(counters.oversize),
               static_cast<unsigned long long>(counters.tcpCommands),
               static_cast<unsigned long long>(counters.site.replies),
               static_cast<unsigned long long>(counters.site.dropped),
               static_cast<unsigned long long>(counters.site.malformed),
               static_cast<unsigned long long>(counters.sent),
               static_cast<unsigned long long>(counters.refused),
               static_cast<unsigned long long>(counters.site.commandsLost))
        .toLatin1();
}
