#include "core/upload/CUploadProject.h"

#include "core/transport/CIpv4Address.h"
#include "core/upload/CUploadWalk.h"

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

// A device of the project without its settings: how it is addressed, its type, and why
// it cannot take part when it cannot.
CUploadDevice deviceOf(const pugi::xml_node& element, CUploadDevice::Kind kind) {
    CUploadDevice device;
    device.kind = kind;
    device.type = typeOf(element);
    if (kind == CUploadDevice::Kind::Gateway) {
        device.keyText = element.attribute("IP").value();
        bool parsed = false;
        device.address = CIpv4Address::fromDotted(device.keyText, &parsed);
        if (!parsed || !CUploadProject::isUsableGatewayAddress(device.address)) {
            device.refusal = Refusal::UnusableAddress;
        }
        return device;
    }
    const pugi::xml_attribute key = element.first_attribute();
    device.keyText = key.value();
    const std::string_view name = key.name();
    const std::optional<int> uid =
        name == "UID" ? CUploadProject::plainUid(device.keyText) : std::nullopt;
    if (name == "SN") {
        device.refusal = Refusal::SerialOnly;
    } else if (!uid) {
        device.refusal = Refusal::NotAUid;
    } else {
        device.uid = *uid;
    }
    return device;
}

qint64 addressOf(const CUploadDevice& device) {
    return device.isGateway() ? static_cast<qint64>(device.address) : device.uid;
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

void CUploadProject::forEach(const pugi::xml_document& project, CUploadDevice::Kind kind,
                             const std::function<void(CUploadDevice&& device)>& visit) {
    const bool gateways = kind == CUploadDevice::Kind::Gateway;
    std::vector<pugi::xml_node> elements;
    for (const pugi::xml_node& configuration : configurations(project)) {
        for (const pugi::xml_node& element :
             configuration.children(gateways ? "UBRIX" : "DEVICE")) {
            if (!gateways || element.attribute("IP")) {
                elements.push_back(element);
            }
        }
    }
    // Every usable device whose address another usable device has as well is refused:
    // which of them the project means cannot be known, and walking both would send each
    // setting twice.
    std::map<qint64, int> seen;
    for (const pugi::xml_node& element : elements) {
        const CUploadDevice device = deviceOf(element, kind);
        if (device.refusal == Refusal::None) {
            ++seen[addressOf(device)];
        }
    }
    CUploadWalk::Names names;
    for (const pugi::xml_node& element : elements) {
        CUploadDevice device = deviceOf(element, kind);
        if (device.refusal == Refusal::None && seen[addressOf(device)] > 1) {
            device.refusal = Refusal::Duplicate;
        }
        device.settings = CUploadWalk::walk(element, names);
        visit(std::move(device));
    }
}

std::vector<CUploadDevice> CUploadProject::gateways(const pugi::xml_document& project) {
    std::vector<CUploadDevice> devices;
    forEach(project, CUploadDevice::Kind::Gateway,
            [&devices](CUploadDevice&& device) { devices.push_back(std::move(device)); });
    return devices;
}

std::vector<CUploadDevice> CUploadProject::busDevices(const pugi::xml_document& project) {
    std::vector<CUploadDevice> devices;
    forEach(project, CUploadDevice::Kind::BusDevice,
            [&devices](CUploadDevice&& device) { devices.push_back(std::move(device)); });
    return devices;
}
