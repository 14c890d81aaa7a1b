#include "CModelTemplates.h"

#include "CUbrixVorelDoc.h"
#include "common/CXmlFile.h"
#include "common/IUserNotifier.h"

#include <QDir>
#include <optional>
#include <set>
#include <string>

namespace {

const QString kOpenFailed = QStringLiteral("Failed to open Template");

std::set<std::string> attributeValues(const pugi::xml_document& document, const char* xpath,
                                      const char* attribute) {
    std::set<std::string> values;
    for (const pugi::xpath_node& hit : document.select_nodes(xpath)) {
        values.insert(hit.node().attribute(attribute).value());
    }
    return values;
}

// The first 0.0.0.n, n counting up from 1 and wrapping as a byte, that no gateway of the
// project carries; none when all 256 are taken.
std::optional<std::string> freePlaceholderAddress(const pugi::xml_document& project) {
    const std::set<std::string> taken =
        attributeValues(project, "//Device_Configuration/UBRIX[@IP]", "IP");
    unsigned char n = 1;
    for (int tries = 0; tries < 256; ++tries, ++n) {
        std::string address = "0.0.0." + std::to_string(n);
        if (taken.count(address) == 0) {
            return address;
        }
    }
    return std::nullopt;
}

std::string freeUid(const pugi::xml_document& project) {
    const std::set<std::string> taken =
        attributeValues(project, "//Device_Configuration/DEVICE[@UID]", "UID");
    long long n = 1;
    while (taken.count(std::to_string(n)) != 0) {
        ++n;
    }
    return std::to_string(n);
}

}  // namespace

const std::array<CModelTemplates::Model, 10>& CModelTemplates::models() {
    static const std::array<Model, 10> kModels{{
        {"Ubrix A", "template_ubrixa.xml", true},
        {"Ubrix B", "template_ubrixb.xml", true},
        {"Ubrix C", "template_ubrixc.xml", true},
        {"Lumet AC", "template_lumetaC.xml", false},
        {"Lumet AM", "template_lumetaM.xml", false},
        {"Lumet BC", "template_lumetbC.xml", false},
        {"Lumet BM", "template_lumetbM.xml", false},
        {"Motra AC", "template_motraaC.xml", false},
        {"Tavo A", "template_tavoa.xml", false},
        {"Tavo B", "template_tavob.xml", false},
    }};
    return kModels;
}

bool CModelTemplates::add(CUbrixVorelDoc& doc, int index, const QString& programFolder,
                          IUserNotifier& notifier) {
    if (index < 0 || index >= static_cast<int>(models().size())) {
        return false;
    }
    const Model& model = models()[static_cast<size_t>(index)];
    const QString path = QDir(programFolder).filePath(QLatin1String(model.fileName));
    if (!doc.hasTemplate()) {
        doc.openProject(path);
        return true;
    }

    pugi::xml_document loaded;
    QString reason;
    if (!CXmlFile::load(path, loaded, reason)) {
        notifier.showMessage(kOpenFailed);
        return false;
    }
    pugi::xml_document& project = *doc.editTemplate();
    const char* const device =
        model.gateway ? "//Device_Configuration/UBRIX[@IP]" : "//Device_Configuration/DEVICE[@UID]";
    const pugi::xml_node element = loaded.select_node(device).node();
    pugi::xml_node to = project.select_node("//Device_Configuration").node();
    if (!element || !to) {
        // A model file without its device, or a project without a place for it.
        notifier.showMessage(kOpenFailed);
        return false;
    }

    std::optional<std::string> address =
        model.gateway ? freePlaceholderAddress(project) : std::optional(freeUid(project));
    if (!address) {
        notifier.showMessage(
            QStringLiteral("Every placeholder address from 0.0.0.0 to 0.0.0.255 is taken.\n"
                           "Give the project's gateways their real addresses first."));
        return false;
    }
    // The device checked above, re-addressed: whatever stands before it in the model
    // file (a comment, a note) is not the device.
    element.first_attribute().set_value(address->c_str());
    to.append_copy(element);
    return true;
}
