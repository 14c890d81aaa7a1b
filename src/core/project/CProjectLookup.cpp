#include "core/project/CProjectLookup.h"

#include "core/plan/CPropertyRows.h"

namespace {

bool matchesStep(const pugi::xml_node& element, const CProjectStep& step) {
    if (element.type() != pugi::node_element || step.name != element.name()) {
        return false;
    }
    const pugi::xml_attribute first = element.first_attribute();
    if (step.attribute.empty()) {
        return !first;
    }
    return first && step.attribute == first.name() && step.value == first.value();
}

}  // namespace

pugi::xml_node CProjectLookup::deviceConfiguration(const pugi::xml_document& project) {
    return project.document_element().child("Device_Configuration");
}

std::vector<pugi::xml_node> CProjectLookup::devices(const pugi::xml_document& project,
                                                    CProjectDevice::Role role) {
    const CProjectDevice probe{role, {}};
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node& element : deviceConfiguration(project).children(probe.element())) {
        if (element.attribute(probe.attribute())) {
            found.push_back(element);
        }
    }
    return found;
}

pugi::xml_node CProjectLookup::find(const pugi::xml_document& project,
                                    const CProjectDevice& device) {
    for (const pugi::xml_node& element : deviceConfiguration(project).children(device.element())) {
        const pugi::xml_attribute id = element.attribute(device.attribute());
        if (id && device.id == id.value()) {
            return element;
        }
    }
    return {};
}

pugi::xml_node CProjectLookup::section(const pugi::xml_document& project,
                                       const CProjectPlace& place) {
    pugi::xml_node section = find(project, place.device);
    for (const CProjectStep& step : place.steps) {
        if (!section) {
            break;
        }
        pugi::xml_node next;
        for (const pugi::xml_node& child : section.children()) {
            if (matchesStep(child, step)) {
                next = child;
                break;
            }
        }
        section = next;
    }
    return section;
}

pugi::xml_node CProjectLookup::setting(const pugi::xml_node& section, std::string_view key,
                                       const std::optional<std::string>& index) {
    for (const pugi::xml_node& child : section.children()) {
        if (child.type() != pugi::node_element || key != child.name() ||
            !CPropertyRows::isLeaf(child)) {
            continue;
        }
        if (!index || *index == child.first_attribute().value()) {
            return child;
        }
    }
    return {};
}

std::string CProjectLookup::typeOf(const pugi::xml_node& device) {
    const pugi::xml_node type = device.child("TYPE");
    return CPropertyRows::isLeaf(type) ? type.text().get() : std::string();
}

CProjectDevice CProjectLookup::deviceOf(const pugi::xml_node& element, CProjectDevice::Role role) {
    CProjectDevice device{role, {}};
    device.id = element.attribute(device.attribute()).value();
    return device;
}

CProjectStep CProjectLookup::stepOf(const pugi::xml_node& element) {
    CProjectStep step{element.name(), {}, {}};
    if (const pugi::xml_attribute first = element.first_attribute()) {
        step.attribute = first.name();
        step.value = first.value();
    }
    return step;
}
