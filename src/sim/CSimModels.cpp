#include "sim/CSimModels.h"

#include "core/common/CXmlFile.h"
#include "core/plan/CModelTemplates.h"
#include "core/plan/CValidationSchema.h"
#include "sim/CSimDefaults.h"

#include <QDir>
#include <QFile>
#include <cstring>

// The schema is a resource of the core library; a static library keeps it only for a
// program that asks for it by name.
static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace {

QByteArray bytes(const char* text) {
    return QByteArray(text);
}

bool isGroup(const pugi::xml_node& element) {
    return element.type() == pugi::node_element && element.first_attribute().empty();
}

bool isSetting(const pugi::xml_node& element) {
    return element.type() == pugi::node_element && !element.first_attribute().empty();
}

QString parseReason(const QString& what, const QString& reason) {
    return QStringLiteral("%1: %2").arg(what, reason);
}

}  // namespace

bool CSimModels::load(const QString& templateFolder, QString& error) {
    initSchemaResource();
    QFile resource(QStringLiteral(":/schema/validate.xml"));
    if (!resource.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the validation schema is missing from the program");
        return false;
    }
    QList<QByteArray> templates;
    const QDir folder(templateFolder);
    for (const CModelTemplates::Model& model : CModelTemplates::models()) {
        QFile file(folder.filePath(QString::fromLatin1(model.fileName)));
        if (file.open(QIODevice::ReadOnly)) {
            templates.append(file.readAll());
        }
    }
    return loadFromTexts(resource.readAll(), templates, error);
}

bool CSimModels::loadFromTexts(const QByteArray& schemaText, const QList<QByteArray>& templateTexts,
                               QString& error) {
    QString reason;
    if (!CXmlFile::parse(schemaText.trimmed(), m_schema, reason)) {
        error = parseReason(QStringLiteral("validation schema"), reason);
        return false;
    }
    m_types.clear();
    m_templates.clear();
    m_gatewayFamilies.clear();
    for (const pugi::xpath_node& hit : m_schema.select_nodes("/Validate/DEVICE[@TYPE]")) {
        m_types.append(bytes(hit.node().attribute("TYPE").value()));
    }
    for (const QByteArray& text : templateTexts) {
        if (!addTemplate(text, error)) {
            return false;
        }
    }
    return true;
}

bool CSimModels::addTemplate(const QByteArray& text, QString& error) {
    pugi::xml_document document;
    QString reason;
    if (!CXmlFile::parse(text, document, reason)) {
        error = parseReason(QStringLiteral("model template"), reason);
        return false;
    }
    const pugi::xml_node model = document.select_node("/Plan/Device_Configuration/*[1]").node();
    const QByteArray type = bytes(model.child("TYPE").text().get());
    if (type.isEmpty()) {
        error = QStringLiteral("a model template has no TYPE");
        return false;
    }
    if (std::strcmp(model.name(), "UBRIX") == 0) {
        m_gatewayFamilies.insert(family(type));
    }
    m_templates.insert(type, CSimSettings::fromElement(model));
    return true;
}

bool CSimModels::hasType(QByteArrayView type) const {
    return m_types.contains(type) || m_templates.contains(type.toByteArray());
}

bool CSimModels::isGatewayType(QByteArrayView type) const {
    return m_gatewayFamilies.contains(family(type));
}

QList<QByteArray> CSimModels::gatewayTypes() const {
    QList<QByteArray> found;
    for (const QByteArray& type : m_types) {
        if (isGatewayType(type)) {
            found.append(type);
        }
    }
    return found;
}

QList<QByteArray> CSimModels::busTypes() const {
    QList<QByteArray> found;
    for (const QByteArray& type : m_types) {
        if (!isGatewayType(type)) {
            found.append(type);
        }
    }
    return found;
}

QList<QByteArray> CSimModels::templateTypes(bool gateways) const {
    QList<QByteArray> found;
    for (const QByteArray& type : m_types) {
        if (m_templates.contains(type) && isGatewayType(type) == gateways) {
            found.append(type);
        }
    }
    return found;
}

CSimSettings CSimModels::settingsFor(QByteArrayView type) const {
    CSimSettings settings = m_templates.value(type.toByteArray());
    CSettingAddress typePath;
    typePath.key = "TYPE";
    settings.set(typePath, type.toByteArray());
    addSchemaDefaults(type, settings);
    return settings;
}

void CSimModels::addSchemaDefaults(QByteArrayView type, CSimSettings& settings) const {
    const pugi::xml_node device =
        CValidationSchema(m_schema).device(type.toByteArray().toStdString());
    if (!device) {
        return;
    }
    const QSet<QByteArray> indexed = indexedKeys(device);
    auto addSetting = [&](const pugi::xml_node& entry, const QByteArray& group) {
        const QByteArray key = bytes(entry.name());
        const QByteArray boundPort = bytes(entry.attribute("p").value());
        if (!CSettingAddress::isName(key) ||
            !CSettingAddress::isName(group.isEmpty() ? "G" : group)) {
            return;
        }
        QList<QByteArray> homes{boundPort};
        if (boundPort.isEmpty() && !group.isEmpty()) {
            homes = settings.portsHoldingGroup(group);
            if (homes.isEmpty()) {
                homes = {QByteArray()};
            }
        }
        const QByteArray value = CSimDefaults::value(group, key, entry);
        for (const QByteArray& port : homes) {
            CSettingAddress path{port, group, key, {}};
            if (settings.hasKey(path)) {
                continue;
            }
            if (!indexed.contains(group + "." + key)) {
                settings.set(path, value);
                continue;
            }
            for (int index = 1; index <= CSimDefaults::kIndexedEntries; ++index) {
                path.index = QByteArray::number(index);
                settings.set(path, value);
            }
        }
    };
    for (const pugi::xml_node& entry : device.children()) {
        if (isSetting(entry)) {
            addSetting(entry, {});
        } else if (isGroup(entry)) {
            for (const pugi::xml_node& member : entry.children()) {
                if (isSetting(member)) {
                    addSetting(member, bytes(entry.name()));
                }
            }
        }
    }
}

// The schema says which settings are indexed only in its comments.
QSet<QByteArray> CSimModels::indexedKeys(const pugi::xml_node& device) const {
    QSet<QByteArray> keys;
    for (const pugi::xml_node& group : device.children()) {
        if (!isGroup(group)) {
            continue;
        }
        for (const std::vector<QByteArray>& alike : CValidationSchema::indexedAlike(group)) {
            for (const QByteArray& key : alike) {
                keys.insert(bytes(group.name()) + "." + key);
            }
        }
    }
    return keys;
}

QByteArray CSimModels::otherTypeOfFamily(QByteArrayView type) const {
    const QByteArray own = family(type);
    QList<QByteArray> members;
    for (const QByteArray& candidate : m_types) {
        if (family(candidate) == own) {
            members.append(candidate);
        }
    }
    const qsizetype at = members.indexOf(type.toByteArray());
    if (members.size() < 2 || at < 0) {
        // A lone type still has to report something else.
        return type.toByteArray() + "_X";
    }
    return members[(at + 1) % members.size()];
}

QByteArray CSimModels::family(QByteArrayView type) {
    const qsizetype cut = type.lastIndexOf('_');
    return (cut > 0 ? type.first(cut) : type).toByteArray();
}
