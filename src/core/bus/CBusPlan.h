#pragma once

#include <QByteArrayView>
#include <pugixml.hpp>
#include <set>
#include <string>

class CBusTreeItem;

// How the bus view finds things in the plan: by walking the document from its own
// elements, never by building an XPath from a text a device sent.
class CBusPlan {
public:
    // A device entry's number: its attribute's text read as an unsigned decimal number.
    static quint32 deviceNumber(const char* text);
    // The key of a device by its own attribute and the text of its number ("UID:5").
    static std::string deviceKey(QByteArrayView attribute, std::string_view number);
    static std::string deviceKey(QByteArrayView attribute, quint32 number);

    // Device_Configuration/DEVICE[@attribute='number'], the first one; null when the plan
    // has none.
    static pugi::xml_node deviceConfiguration(const pugi::xml_document& plan,
                                              QByteArrayView attribute, quint32 number);
    // The largest UID a device takes.
    static constexpr quint32 kMaxUid = 65535;
    // Whether a device behind the gateway (dotted) has the UID.
    static bool hasUid(const pugi::xml_document& plan, QByteArrayView gateway, quint32 uid);
    // The lowest UID from 1 that no device behind the gateway (dotted) has and that is not
    // among alsoTaken; 0 when every UID is taken.
    static quint32 lowestFreeUid(const pugi::xml_document& plan, QByteArrayView gateway,
                                 const std::set<quint32>& alsoTaken = {});

    // The element an item of the tree stands for: a device's configuration, a port, or a
    // section (under its port when it has one); null when the plan has none.
    static pugi::xml_node element(const pugi::xml_document& plan, const CBusTreeItem& item);
};
