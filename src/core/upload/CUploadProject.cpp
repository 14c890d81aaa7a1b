#include "CUploadProject.h"

#include "CUploadWalk.h"
#include "transport/CIpv4Address.h"

#include <climits>
#include <map>

namespace {

using Refusal = CUploadDevice::Refusal;

std::vector<pugi::xml_node> configurations(const pugi::xml_document& project) {
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node& plan : project.children()) {
        for (const pugi::xml_node& configuration : plan.children("Device_Configuration")) {
            found.push_back(configuration);
        }
    }
    return found;
}

std::optional<std::string> typeOf(const pugi::xml_node& element) {
    const pugi::xml_node type = element.child("TYPE");
    return type ? std::optional<std::string>(CUploadWalk::ownText(type)) : std::nullopt;
}

// Every usable device whose address another usable device has as well is refused: which of
// them the project means cannot be known, and walking both would send each setting twice.
void refuseDuplicates(std::vector<CUploadDevice>& devices) {
    std::map<qint64, int> seen;
    const auto keyOf = [](const CUploadDevice& device) {
        return device.isGateway() ? static_cast<qint64>(device.address) : device.uid;
    };
    for (const CUploadDevice& device : devices) {
        if (device.refusal == Refusal::None) {
            ++seen[keyOf(device)];
        }
    }
    for (CUploadDevice& device : devices) {
        if (device.refusal == Refusal::None && seen[keyOf(device)] > 1) {
            device.refusal = Refusal::Duplicate;
        }
    }
}

}  // namespace

bool CUploadProject::isUsableGatewayAddress(quint32 address) {
    const quint32 host = CIpv4Address::toHostOrder(address);
    const quint32 firstOctet = host >> 24;
    return firstOctet != 0 && (firstOctet < 224 || firstOctet > 239) &&
           address != CIpv4Address::kBroadcast;
}

std::optional<int> CUploadProject::plainUid(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 10 || text.front() == '0') {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::vector<CUploadDevice> CUploadProject::gateways(const pugi::xml_document& project) {
    std::vector<CUploadDevice> devices;
    for (const pugi::xml_node& configuration : configurations(project)) {
        for (const pugi::xml_node& element : configuration.children("UBRIX")) {
            const pugi::xml_attribute ip = element.attribute("IP");
            if (!ip) {
                continue;
            }
            CUploadDevice device;
            device.kind = CUploadDevice::Kind::Gateway;
            device.keyText = ip.value();
            bool parsed = false;
            device.address = CIpv4Address::fromDotted(device.keyText, &parsed);
            if (!parsed || !isUsableGatewayAddress(device.address)) {
                device.refusal = Refusal::UnusableAddress;
            }
            device.type = typeOf(element);
            device.settings = CUploadWalk::walk(element);
            devices.push_back(std::move(device));
        }
    }
    refuseDuplicates(devices);
    return devices;
}

std::vector<CUploadDevice> CUploadProject::busDevices(const pugi::xml_document& project) {
    std::vector<CUploadDevice> devices;
    for (const pugi::xml_node& configuration : configurations(project)) {
        for (const pugi::xml_node& element : configuration.children("DEVICE")) {
            const pugi::xml_attribute key = element.first_attribute();
            CUploadDevice device;
            device.kind = CUploadDevice::Kind::BusDevice;
            device.keyText = key.value();
            const std::string_view name = key.name();
            const std::optional<int> uid = name == "UID" ? plainUid(device.keyText) : std::nullopt;
            if (name == "SN") {
                device.refusal = Refusal::SerialOnly;
            } else if (!uid) {
                device.refusal = Refusal::NotAUid;
            } else {
                device.uid = *uid;
            }
            device.type = typeOf(element);
            device.settings = CUploadWalk::walk(element);
            devices.push_back(std::move(device));
        }
    }
    refuseDuplicates(devices);
    return devices;
}
