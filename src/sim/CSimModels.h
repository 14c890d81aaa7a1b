#pragma once

#include "sim/CSimSettings.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <pugixml.hpp>

// What the simulated site knows of the device models: the validation schema (which types
// exist and which settings each has) and the model templates (the settings a model ships
// with). A simulated device of a type with a template starts with the template's
// settings; every setting that the schema names and the template does not give is added
// with a default value.
class CSimModels {
public:
    // The schema built into the program and the templates in templateFolder (missing
    // template files are skipped: their types are then made from the schema alone). False
    // with a reason when the schema cannot be read.
    bool load(const QString& templateFolder, QString& error);
    // From documents, for tests: the schema text and the template texts.
    bool loadFromTexts(const QByteArray& schemaText, const QList<QByteArray>& templateTexts,
                       QString& error);

    const pugi::xml_document& schema() const { return m_schema; }
    bool hasType(QByteArrayView type) const;
    bool isGatewayType(QByteArrayView type) const;
    bool hasTemplate(QByteArrayView type) const { return m_templates.contains(type.toByteArray()); }
    // In schema order.
    QList<QByteArray> gatewayTypes() const;
    QList<QByteArray> busTypes() const;
    QList<QByteArray> templateTypes(bool gateways) const;

    // The settings a new device of this type starts with; TYPE holds the type.
    CSimSettings settingsFor(QByteArrayView type) const;

    // Another type of the same family (the name up to its last "_"), for a device that
    // reports a type it is not: the next one in schema order, wrapping.
    QByteArray otherTypeOfFamily(QByteArrayView type) const;

private:
    bool addTemplate(const QByteArray& text, QString& error);
    void addSchemaDefaults(QByteArrayView type, CSimSettings& settings) const;
    QSet<QByteArray> indexedKeys(const pugi::xml_node& device) const;
    static QByteArray family(QByteArrayView type);

    pugi::xml_document m_schema;
    QList<QByteArray> m_types;
    QHash<QByteArray, CSimSettings> m_templates;
    QSet<QByteArray> m_gatewayFamilies;
};
