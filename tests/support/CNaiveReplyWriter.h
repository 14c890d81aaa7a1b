#pragma once

#include <QByteArray>
#include <pugixml.hpp>
#include <string>

// The reply parser's plan changes done the plain way: every look-up formats its XPath
// text ("//Device_Configuration/DEVICE[@UID='5']/LED/PRESET[@A ='3']") and evaluates
// it. The document's indexed parser must reach the very same nodes; the tests compare
// the two, and the benchmark measures what the index saves.
class CNaiveReplyWriter {
public:
    // Thrown for a group or key that the XPath text would read as more than a name
    // ("NETWORK/DHCP" as a path of two steps): there the plain way writes where no name
    // leads, while the document refuses the name.
    struct NotAName {};

    explicit CNaiveReplyWriter(pugi::xml_document& plan) : m_plan(plan) {}

    // Handles one traffic line as AddMsg does; false where AddMsg would stop its drain.
    bool handle(const QByteArray& line);

private:
    pugi::xml_node select(const std::string& xpath) const;
    void addGatewayToNetwork(const std::string& ip);
    void netAddDevice(const std::string& ip, const std::string& value, const std::string& name);
    void announce(const QByteArray& line, const char* name);

    pugi::xml_document& m_plan;
};
