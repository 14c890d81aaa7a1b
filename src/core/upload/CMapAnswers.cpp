#include "core/upload/CMapAnswers.h"

namespace {

const CDeviceAnswers* found(const std::unordered_map<std::string, CDeviceAnswers>& reports,
                            std::string_view key) {
    const auto at = reports.find(std::string(key));
    return at == reports.end() ? nullptr : &at->second;
}

}  // namespace

CMapAnswers CMapAnswers::of(const pugi::xml_document& map) {
    CMapAnswers reports;
    for (const pugi::xml_node& plan : map.children()) {
        for (const pugi::xml_node& configuration : plan.children("Device_Configuration")) {
            for (const pugi::xml_node& element : configuration.children()) {
                const std::string_view name = element.name();
                const bool isGateway = name == "UBRIX";
                if (!isGateway && name != "DEVICE") {
                    continue;
                }
                const pugi::xml_attribute key = element.attribute(isGateway ? "IP" : "UID");
                auto& into = isGateway ? reports.m_gateways : reports.m_devices;
                if (key && into.count(key.value()) == 0) {
                    into.emplace(key.value(), CDeviceAnswers::fromPlanElement(element));
                }
            }
        }
    }
    return reports;
}

const CDeviceAnswers* CMapAnswers::gateway(std::string_view ip) const {
    return found(m_gateways, ip);
}

const CDeviceAnswers* CMapAnswers::device(std::string_view uid) const {
    return found(m_devices, uid);
}
