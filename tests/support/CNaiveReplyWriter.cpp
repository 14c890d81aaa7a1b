#include "CNaiveReplyWriter.h"

#include "core/common/CXPathNumber.h"
#include "core/common/CXmlEdit.h"
#include "core/common/CXmlText.h"
#include "core/plan/CReplySplitter.h"

#include <cctype>

namespace {
std::string text(const QByteArray& bytes) {
    return CXmlText::fromWire(bytes);
}

// A group or key as one XPath name step: letters, digits, '_', '-', '.' and non-ASCII.
std::string nameStep(const QByteArray& bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!(std::isalnum(byte) != 0 || c == '_' || c == '-' || c == '.' || byte >= 0x80)) {
            throw CNaiveReplyWriter::NotAName{};
        }
    }
    return text(bytes);
}
}  // namespace

pugi::xml_node CNaiveReplyWriter::select(const std::string& xpath) const {
    return m_plan.select_node(xpath.c_str()).node();
}

void CNaiveReplyWriter::addGatewayToNetwork(const std::string& ip) {
    if (select("/*/Network_Configuration/UBRIX[@IP='" + ip + "']")) {
        return;
    }
    pugi::xml_node gateway = select("/*/Network_Configuration").append_child("UBRIX");
    gateway.append_attribute("IP").set_value(ip.c_str());
}

void CNaiveReplyWriter::netAddDevice(const std::string& ip, const std::string& value,
                                     const std::string& name) {
    const std::string gatewayPath = "/*/Network_Configuration/UBRIX[@IP='" + ip + "']";
    if (!select(gatewayPath)) {
        addGatewayToNetwork(ip);
    }
    pugi::xml_node gateway = select(gatewayPath);
    if (select(gatewayPath + "/DEVICE[@" + name + "='" + value + "']")) {
        return;
    }
    const pugi::xml_node greater = select(gatewayPath + "/DEVICE[@" + name + ">'" + value + "']");
    pugi::xml_node device =
        greater ? gateway.insert_child_before("DEVICE", greater) : gateway.append_child("DEVICE");
    device.append_attribute(name.c_str()).set_value(value.c_str());
}

void CNaiveReplyWriter::announce(const QByteArray& line, const char* name) {
    const std::string sender = text(CReplySplitter::senderOf(line));
    QByteArray rest = line.mid(line.indexOf(name) + static_cast<qsizetype>(std::strlen(name)));
    rest.replace(";", "");
    long long number = CXPathNumber::leadingInteger(rest.toStdString());
    // As the document reads them: a UID as an int, a serial number as unsigned. (One
    // conditional expression would turn the int into unsigned as well.)
    if (std::string(name) == "UID") {
        number = static_cast<int>(number);
    } else {
        number = static_cast<unsigned>(number);
    }
    const std::string key = std::to_string(number);
    const std::string device = "//Device_Configuration/DEVICE[@" + std::string(name);
    if (!select(device + "='" + key + "']")) {
        pugi::xml_node configuration = select("//Device_Configuration");
        const pugi::xml_node greater = select(device + ">'" + key + "']");
        pugi::xml_node created = greater ? configuration.insert_child_before("DEVICE", greater)
                                         : configuration.append_child("DEVICE");
        created.append_attribute(name).set_value(text(rest).c_str());
    }
    netAddDevice(sender, text(rest), name);
}

bool CNaiveReplyWriter::handle(const QByteArray& line) {
    if (line.contains("+UID")) {
        announce(line, "UID");
        return true;
    }
    if (line.contains("+SN")) {
        announce(line, "SN");
        return true;
    }
    if (!line.contains('!')) {
        return true;
    }
    const CSplitReply reply = CReplySplitter::split(line);
    if (reply.kind == CSplitReply::NotASetting) {
        return false;
    }
    if (reply.kind == CSplitReply::Ignored) {
        return true;
    }
    const std::string sender = text(reply.sender);
    const std::string id = text(reply.identifier);
    const bool gatewayReply = reply.kind == CSplitReply::GatewaySetting;
    std::string path = gatewayReply ? "//Device_Configuration/UBRIX[@IP='" + sender + "']"
                                    : "//Device_Configuration/DEVICE[@UID='" + id + "']";
    pugi::xml_node parent = select(path);
    if (!parent) {
        parent = select("//Device_Configuration").append_child(gatewayReply ? "UBRIX" : "DEVICE");
        parent.append_attribute(gatewayReply ? "IP" : "UID")
            .set_value(gatewayReply ? sender.c_str() : id.c_str());
        if (gatewayReply) {
            addGatewayToNetwork(sender);
        } else {
            netAddDevice(sender, id, "UID");
        }
    }
    if (!reply.address.port.isEmpty()) {
        path += "/PORT[@P='" + text(reply.address.port) + "']";
        pugi::xml_node port = select(path);
        if (!port) {
            port = parent.append_child("PORT");
            port.append_attribute("P").set_value(text(reply.address.port).c_str());
        }
        if (reply.address.key == "ALIAS") {
            pugi::xml_attribute alias = port.attribute("Name");
            (alias ? alias : port.append_attribute("Name")).set_value(text(reply.value).c_str());
        }
        parent = port;
    }
    if (!reply.address.group.isEmpty()) {
        path += "/" + nameStep(reply.address.group);
        pugi::xml_node group = select(path);
        parent = group ? group : parent.append_child(text(reply.address.group).c_str());
    }
    path += "/" + nameStep(reply.address.key);
    if (!reply.address.index.isEmpty()) {
        path += "[@A ='" + text(reply.address.index) + "']";
    }
    pugi::xml_node leaf = select(path);
    if (!leaf) {
        leaf = parent.append_child(text(reply.address.key).c_str());
        if (!reply.address.index.isEmpty()) {
            leaf.append_attribute("A").set_value(text(reply.address.index).c_str());
        }
    }
    (void)CXmlEdit::setText(leaf, text(reply.value));
    return true;
}
