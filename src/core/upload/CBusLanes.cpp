#include "core/upload/CBusLanes.h"

#include "core/upload/CUploadProject.h"

#include <cstring>
#include <map>

namespace {

// UID -> the index of the last gateway of the plan that lists it, and the gateways' names.
std::map<int, size_t> busOfEachUid(const pugi::xml_document& plan, std::vector<QByteArray>& names) {
    std::map<int, size_t> busOf;
    const pugi::xml_node network = plan.child("Plan").child("Network_Configuration");
    for (const pugi::xml_node gateway : network.children("UBRIX")) {
        const pugi::xml_attribute ip = gateway.first_attribute();
        if (!ip || std::strcmp(ip.name(), "IP") != 0) {
            continue;
        }
        names.emplace_back(ip.value());
        for (const pugi::xml_node device : gateway.children("DEVICE")) {
            const pugi::xml_attribute uid = device.first_attribute();
            if (!uid || std::strcmp(uid.name(), "UID") != 0) {
                continue;
            }
            if (const std::optional<int> number = CUploadProject::plainUid(uid.value())) {
                busOf[*number] = names.size() - 1;
            }
        }
    }
    return busOf;
}

}  // namespace

CUploadLanes CBusLanes::of(const std::vector<CUploadDevice>& devices,
                           const pugi::xml_document& plan) {
    std::vector<QByteArray> names;
    const std::map<int, size_t> busOf = busOfEachUid(plan, names);
    std::vector<std::vector<size_t>> byBus(names.size());
    CUploadLanes lanes;
    for (size_t d = 0; d < devices.size(); ++d) {
        const auto bus = busOf.find(devices[d].uid);
        if (devices[d].uid > 0 && bus != busOf.end()) {
            byBus[bus->second].push_back(d);
        } else {
            lanes.afterwards.push_back(d);
        }
    }
    for (size_t bus = 0; bus < byBus.size(); ++bus) {
        if (!byBus[bus].empty()) {
            lanes.lanes.push_back({names[bus], std::move(byBus[bus])});
        }
    }
    return lanes;
}
