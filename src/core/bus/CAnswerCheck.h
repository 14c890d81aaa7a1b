#pragma once

#include "core/address/CSettingAddress.h"

#include <set>
#include <string_view>
#include <vector>

class CValidationSchema;

// Whether the report of one gateway or bus device holds everything it should. A device
// reports each setting in a datagram of its own and sends no end marker, so a lost reply
// leaves a hole that nothing else notices. Expected are: the TYPE; every setting that the
// schema entry of its type lists (an entry bound to a port only for a port it reports, an
// unbound member of a group wherever the group stands, an indexed key with every index
// from 1 to the highest one seen for it or for a key the schema indexes alike: "Indexed:
// ACTION and TARGET with A = key number"); and every setting it reported before (the
// plan's, exactly).
class CAnswerCheck {
public:
    using Addresses = std::set<CSettingAddress>;

    // What the report lacks, in address order; empty when it is complete. type: the type
    // it reported (or the plan knew), empty when none is known.
    static std::vector<CSettingAddress> missing(const CValidationSchema& schema,
                                                std::string_view type, const Addresses& received,
                                                const Addresses& earlier);

    // The ports that the type's schema entry binds settings to and that neither this report
    // nor an earlier one shows. Such a port is not missing (a unit may lack it), but its
    // few replies may all have been lost, so the report is worth asking again.
    static std::vector<QByteArray> portsNotShown(const CValidationSchema& schema,
                                                 std::string_view type, const Addresses& received,
                                                 const Addresses& earlier);
};
