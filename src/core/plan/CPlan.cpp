#include "core/plan/CPlan.h"

#include "core/common/CXPathNumber.h"
#include "core/common/CXPathQuery.h"
#include "core/common/CXmlEdit.h"
#include "core/common/CXmlError.h"
#include "core/common/CXmlFile.h"
#include "core/common/CXmlText.h"
#include "core/plan/CErrorLog.h"
#include "core/plan/CReplySplitter.h"

#include <cstring>
#include <string>

namespace {

using Nodes = std::vector<pugi::xml_node>;

const char* const kNetAddDeviceError = "Error in CUbrixVorelDoc::NetAddDevice()";

std::string toText(QByteArrayView bytes) {
    return CXmlText::fromWire(bytes);
}

// An element name from the wire. Unlike a value, a name with a control character is not
// mended into something else: it stays invalid, and creating the element fails.
std::string toName(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return std::string(bytes.data(), static_cast<size_t>(bytes.size()));
        }
    }
    return CXmlText::fromWire(bytes);
}

bool hasAttributeValue(const pugi::xml_node& node, const char* name, std::string_view value) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute && value == attribute.value();
}

// The children of every context named name (and, when attribute is given, carrying
// that attribute with that value), in document order: a step of a location path.
Nodes step(const Nodes& contexts, const std::string& name, const char* attribute = nullptr,
           std::string_view value = {}) {
    Nodes found;
    for (const pugi::xml_node& context : contexts) {
        for (pugi::xml_node child = context.child(name.c_str()); child;
             child = child.next_sibling(name.c_str())) {
            if (attribute == nullptr || hasAttributeValue(child, attribute, value)) {
                found.push_back(child);
            }
        }
    }
    return found;
}

// The first element of elements whose attribute, read as a number, is greater than
// number: "[@name>'n']".
pugi::xml_node firstGreater(const Nodes& parents, const char* element, const char* attribute,
                            double number) {
    for (const pugi::xml_node& parent : parents) {
        for (pugi::xml_node child = parent.child(element); child;
             child = child.next_sibling(element)) {
            const pugi::xml_attribute value = child.attribute(attribute);
            if (value && CXPathNumber::parse(value.value()) > number) {
                return child;
            }
        }
    }
    return {};
}

// A new DEVICE element with the attribute, before the first of the parents' DEVICE
// elements whose attribute is numerically greater ("[@name>'n']"), else at the end of
// parent: bus devices stay in ascending order of their number.
pugi::xml_node insertDeviceInOrder(const Nodes& parents, pugi::xml_node parent,
                                   const std::string& attribute, const std::string& text,
                                   double number) {
    const pugi::xml_node greater = firstGreater(parents, "DEVICE", attribute.c_str(), number);
    pugi::xml_node device = greater ? CXmlEdit::insertElementBefore(parent, "DEVICE", greater)
                                    : CXmlEdit::appendElement(parent, "DEVICE");
    CXmlEdit::setAttribute(device, attribute, text);
    return device;
}

// The texts that name a bus device heard behind a gateway, ready to be quoted.
struct NetworkKey {
    std::string address;
    std::string text;
    std::string attribute;

    NetworkKey(QByteArrayView ip, QByteArrayView value, QByteArrayView name)
        : address(toText(ip)), text(toText(value)), attribute(toText(name)) {
        CXmlEdit::requireQuotable(address);
        CXmlEdit::requireQuotable(text);
    }
};

// The text after the first marker, with every ";" removed: the number of an announcement.
QByteArray announcedText(const QByteArray& line, const char* marker) {
    const qsizetype at = line.indexOf(marker);
    QByteArray rest = line.mid(at + static_cast<qsizetype>(std::strlen(marker)));
    rest.replace(";", "");
    return rest;
}

}  // namespace
CPlan::CPlan(CErrorLog& errorLog, QObject* parent) : QObject(parent), m_errorLog(errorLog) {}

void CPlan::make() {
    m_plan.reset();
    pugi::xml_node declaration = m_plan.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    pugi::xml_node root = m_plan.append_child("Plan");
    root.append_child("Device_Configuration");
    root.append_child("Network_Configuration");
    m_index.invalidate();
    m_made = true;
}

bool CPlan::load(const QString& path, QString& reason) {
    if (!CXmlFile::load(path, m_plan, reason)) {
        return false;
    }
    m_index.invalidate();
    return true;
}

bool CPlan::save(const QString& path, QString& reason) const {
    return CXmlFile::save(m_plan, path, reason);
}

bool CPlan::enterLine(const QByteArray& line, quint32& hint) {
    if (line.contains("+UID")) {
        announceUid(line, hint);
    } else if (line.contains("+SN")) {
        announceSerial(line, hint);
    } else if (line.contains('!')) {
        const CSplitReply reply = CReplySplitter::split(line);
        if (reply.kind == CSplitReply::NotASetting) {
            return false;
        }
        if (reply.kind != CSplitReply::Ignored) {
            enterSetting(reply, hint);
        }
    }
    return true;
}

void CPlan::announceUid(const QByteArray& line, quint32& hint) {
    const QByteArray sender = CReplySplitter::senderOf(line);
    const QByteArray uidText = announcedText(line, "UID");
    const auto uid = static_cast<int>(CXPathNumber::leadingInteger(uidText.toStdString()));
    insertAnnouncedDevice("UID", toText(uidText), uid);
    NetAddDevice(sender, uidText, "UID");
    hint = (static_cast<quint32>(uid) << 16) + 1;
    emit deviceAnnounced(sender, "UID", uidText);
}

void CPlan::announceSerial(const QByteArray& line, quint32& hint) {
    const QByteArray sender = CReplySplitter::senderOf(line);
    const QByteArray serialText = announcedText(line, "SN");
    // Serial numbers are unsigned 32-bit on the bus: read them so, not as a signed int.
    const auto serial =
        static_cast<unsigned int>(CXPathNumber::leadingInteger(serialText.toStdString()));
    insertAnnouncedDevice("SN", toText(serialText), serial);
    NetAddDevice(sender, serialText, "SN");
    hint = kHintDeviceAnnounced;
    emit deviceAnnounced(sender, "SN", serialText);
}

// A device heard by announcement joins Device_Configuration in ascending order of its
// number, unless the plan has it already.
void CPlan::insertAnnouncedDevice(const char* name, const std::string& text, long long number) {
    if (!m_index.devices(name, std::to_string(number)).empty()) {
        return;
    }
    const pugi::xml_node device =
        insertDeviceInOrder(m_index.deviceConfigurations(), m_index.deviceConfiguration(), name,
                            text, static_cast<double>(number));
    m_index.addDevice(name, text, device);
}

// The identity of a reply's setting: which device, port, group, key and index.
static std::string settingPath(const CSplitReply& reply) {
    std::string path;
    path.reserve(64);
    for (const QByteArray* part :
         {&reply.sender, &reply.identifier, &reply.address.port, &reply.address.group,
          &reply.address.key, &reply.address.index}) {
        path += std::to_string(part->size());
        path += ':';
        path.append(part->constData(), static_cast<size_t>(part->size()));
    }
    path += reply.kind == CSplitReply::GatewaySetting ? 'G' : 'D';
    return path;
}

static CEnteredSetting enteredSetting(const CSplitReply& reply) {
    CEnteredSetting entered;
    const bool isGateway = reply.kind == CSplitReply::GatewaySetting;
    entered.source =
        isGateway ? CEnteredSetting::Source::Gateway : CEnteredSetting::Source::BusDevice;
    entered.gateway = reply.sender;
    entered.attribute = isGateway ? "IP" : "UID";
    entered.number = reply.identifier;
    entered.address = reply.address;
    entered.value = reply.value;
    return entered;
}

void CPlan::enterSetting(const CSplitReply& reply, quint32& hint) {
    // A port alias also names the port element, so it always takes the whole path.
    const bool namesPort = !reply.address.port.isEmpty() && reply.address.key == "ALIAS";
    std::string path = settingPath(reply);
    if (!namesPort) {
        if (pugi::xml_node known = m_index.cachedSetting(path)) {
            if (CXmlEdit::setText(known, toText(reply.value))) {
                m_index.forgetSettings();
            }
            hint |= kHintSettings;
            emit settingEntered(enteredSetting(reply));
            return;
        }
    }

    const std::string id = toText(reply.identifier);
    Nodes contexts = findOrCreateDevice(reply, id);
    pugi::xml_node parent = contexts.front();

    if (!reply.address.port.isEmpty()) {
        const std::string port = toText(reply.address.port);
        CXmlEdit::requireQuotable(port);
        contexts = step(contexts, "PORT", "P", port);
        if (contexts.empty()) {
            pugi::xml_node created = CXmlEdit::appendElement(parent, "PORT");
            CXmlEdit::setAttribute(created, "P", port);
            contexts = {created};
        }
        if (reply.address.key == "ALIAS") {
            CXmlEdit::setAttribute(contexts.front(), "Name", toText(reply.value));
        }
        parent = contexts.front();
    }
    if (!reply.address.group.isEmpty()) {
        const std::string group = toName(reply.address.group);
        contexts = step(contexts, group);
        if (contexts.empty()) {
            contexts = {CXmlEdit::appendElement(parent, group)};
        }
        parent = contexts.front();
    }

    const std::string key = toName(reply.address.key);
    const std::string index = toText(reply.address.index);
    const std::string value = toText(reply.value);
    CXmlEdit::requireQuotable(index);
    const Nodes leaves = index.empty() ? step(contexts, key) : step(contexts, key, "A", index);
    pugi::xml_node leaf;
    if (!leaves.empty()) {
        leaf = leaves.front();
    } else {
        leaf = CXmlEdit::appendElement(parent, key);
        if (!index.empty()) {
            CXmlEdit::setAttribute(leaf, "A", index);
        }
    }
    if (CXmlEdit::setText(leaf, value)) {
        m_index.forgetSettings();
    }
    m_index.rememberSetting(std::move(path), leaf);
    hint |= kHintSettings;
    emit settingEntered(enteredSetting(reply));
}

Nodes CPlan::findOrCreateDevice(const CSplitReply& reply, const std::string& id) {
    const bool isGateway = reply.kind == CSplitReply::GatewaySetting;
    const std::string sender = toText(reply.sender);
    CXmlEdit::requireQuotable(isGateway ? sender : id);
    const pugi::xml_node configuration = m_index.deviceConfiguration();
    const Nodes& existing = isGateway ? m_index.gateways(sender) : m_index.devices("UID", id);
    if (!existing.empty()) {
        return existing;
    }
    if (isGateway) {
        pugi::xml_node gateway = CXmlEdit::appendElement(configuration, "UBRIX");
        CXmlEdit::setAttribute(gateway, "IP", sender);
        m_index.addGateway(sender, gateway);
        addGatewayToNetwork(reply.sender);
        emit gatewayAdded();
        return {gateway};
    }
    pugi::xml_node device = CXmlEdit::appendElement(configuration, "DEVICE");
    CXmlEdit::setAttribute(device, "UID", id);
    m_index.addDevice("UID", id, device);
    NetAddDevice(reply.sender, reply.identifier, "UID");
    return {device};
}

void CPlan::addGatewayToNetwork(QByteArrayView ip) {
    try {
        addGatewayToNetworkUnguarded(toText(ip));
    } catch (const CXmlError&) {
        m_errorLog.write(kNetAddDeviceError);
    }
}

void CPlan::addGatewayToNetworkUnguarded(const std::string& ip) {
    CXmlEdit::requireQuotable(ip);
    if (!m_index.networkGateways(ip).empty()) {
        return;
    }
    pugi::xml_node gateway = CXmlEdit::appendElement(m_index.networkConfiguration(), "UBRIX");
    CXmlEdit::setAttribute(gateway, "IP", ip);
    m_index.addNetworkGateway(ip, gateway);
}

void CPlan::NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
    try {
        const NetworkKey key(ip, value, name);
        if (m_index.networkGateways(key.address).empty()) {
            addGatewayToNetwork(ip);
        }
        const Nodes gateways = m_index.networkGateways(key.address);
        if (!step(gateways, "DEVICE", key.attribute.c_str(), key.text).empty()) {
            return;
        }
        if (gateways.empty()) {
            throw CXmlError("no gateway element for " + key.address);
        }
        insertDeviceInOrder(gateways, gateways.front(), key.attribute, key.text,
                            CXPathNumber::parse(key.text));
    } catch (const CXmlError&) {
        m_errorLog.write(kNetAddDeviceError);
    }
}

void CPlan::removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
    try {
        const NetworkKey key(ip, value, name);
        const Nodes heard =
            step(m_index.networkGateways(key.address), "DEVICE", key.attribute.c_str(), key.text);
        if (heard.empty()) {
            return;
        }
        m_index.invalidate();
        CXmlEdit::remove(heard.front());
        const Nodes& known = m_index.devices(key.attribute, key.text);
        if (!known.empty()) {
            const pugi::xml_node device = known.front();
            m_index.invalidate();
            CXmlEdit::remove(device);
        }
        emit removed();
    } catch (const CXmlError&) {
        m_errorLog.write(kNetAddDeviceError);
    }
}

void CPlan::removeSelected(const pugi::xpath_node_set& selected) {
    m_index.invalidate();
    // In reverse document order a node always goes before any element that holds it, so
    // no node is removed after its ancestor freed it.
    std::vector<pugi::xml_node> nodes;
    nodes.reserve(selected.size());
    for (const pugi::xpath_node& hit : selected) {
        nodes.push_back(hit.node());
    }
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
        CXmlEdit::remove(*node);
    }
}

void CPlan::clearGateways() {
    pugi::xpath_node_set gateways = CXPathQuery::selectFixed(
        m_plan, "//Device_Configuration/UBRIX | //Network_Configuration/UBRIX");
    gateways.sort();
    removeSelected(gateways);
    emit removed();
}

void CPlan::clearGatewaySettings(QByteArrayView ip) {
    CXPathQuery settings("//Device_Configuration/UBRIX[@IP = $ip]/*", {"ip"});
    settings.set("ip", toText(ip));
    removeSelected(settings.select(m_plan));
    emit removed();
}

void CPlan::removeDevice(QByteArrayView attribute, quint32 number) {
    CXPathQuery devices("//DEVICE[@*[name() = $attribute] = $number]", {"attribute", "number"});
    devices.set("attribute", toText(attribute)).set("number", std::to_string(number));
    removeSelected(devices.select(m_plan));
    emit removed();
}

void CPlan::removeGateway(QByteArrayView ip) {
    const std::string address = toText(ip);
    CXPathQuery entries("//Network_Configuration/UBRIX[@IP = $ip]/*", {"ip"});
    entries.set("ip", address);
    // The identities are read first: a configuration removed may hold an entry.
    std::vector<std::pair<std::string, std::string>> identities;
    for (const pugi::xpath_node& entry : entries.select(m_plan)) {
        const pugi::xml_attribute identity = entry.node().first_attribute();
        identities.emplace_back(identity.name(), identity.value());
    }
    CXPathQuery configuration("//Device_Configuration/DEVICE[@*[name() = $attribute] = $number]",
                              {"attribute", "number"});
    for (const auto& [attribute, number] : identities) {
        configuration.set("attribute", attribute).set("number", number);
        removeSelected(configuration.select(m_plan));
    }
    removeSelected(entries.select(m_plan));
    CXPathQuery gateways("//UBRIX[@IP = $ip]", {"ip"});
    gateways.set("ip", address);
    removeSelected(gateways.select(m_plan));
    emit removed();
}

void CPlan::clearAll() {
    pugi::xpath_node_set everything = CXPathQuery::selectFixed(m_plan, "//DEVICE | //UBRIX");
    everything.sort();
    removeSelected(everything);
    emit removed();
}
