#pragma once

#include <QString>
#include <optional>
#include <pugixml.hpp>

// How a message names a gateway: "Hall North (10.0.0.7)" when the plan knows its name,
// "10.0.0.7" when it does not.
class CGatewayName {
public:
    static QString of(const pugi::xml_document& plan, quint32 address);
    // The gateway's NAME as the plan holds it; nothing when it holds none (or an empty one).
    static std::optional<QString> name(const pugi::xml_document& plan, quint32 address);
};
