#pragma once

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>
#include <vector>

// What the gateway configuration view's tree shows of the plan: every gateway of
// Device_Configuration with its label, its sections and their subsections, in document
// order. The view only merges this into its tree.
class CGatewayOutline {
public:
    static constexpr const char* kAddressLabel = "ip= \"%1\" ";

    struct Subsection {
        QString label;
        int kind = 0;
    };
    struct Section {
        QString label;  // "NAME" or "NAME (attribute)"
        int kind = 0;
        std::vector<Subsection> subsections;
    };
    struct Gateway {
        quint32 address = 0;  // network byte order
        QString label;        // its NAME, or the address form while it has none
        std::vector<Section> sections;
    };

    // Gateways whose IP is no dotted address are left out: nothing could reach them.
    // A setting without any content (a cleared NAME) is a setting, never a section, and
    // an empty NAME keeps the address label.
    static std::vector<Gateway> read(const pugi::xml_document& plan);
};
