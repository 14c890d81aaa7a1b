#pragma once

#include <string>

// Where the settings of one property page are described in the validation schema: the
// device type's entry, narrowed to a port and a group (section).
struct CSchemaPlace {
    enum class Lookup {
        // An entry bound to the page's port wins; a port-free entry stands in (the entries
        // the gateways themselves check against).
        PortAware,
        // The first entry of the key in the group, whatever port it is bound to.
        FirstEntry,
    };

    std::string type;  // empty: no entry, every row grey and read-only
    std::string port;
    std::string group;
    Lookup lookup = Lookup::PortAware;
};
