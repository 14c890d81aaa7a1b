#include "core/plan/CPropertyRows.h"

#include "core/plan/CPropertyLabel.h"
#include "core/plan/CValidationSchema.h"

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

pugi::xml_node entryOf(const CValidationSchema& schema, const CSchemaPlace& place,
                       std::string_view key) {
    if (place.type.empty()) {
        return {};
    }
    if (place.lookup == CSchemaPlace::Lookup::FirstEntry) {
        return schema.firstSetting(place.type, place.group, key);
    }
    return schema.setting(place.type, place.port, place.group, key);
}

}  // namespace

bool CPropertyRows::isLeaf(const pugi::xml_node& child) {
    if (child.type() != pugi::node_element) {
        return false;
    }
    const pugi::xml_node first = child.first_child();
    return !first || first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata;
}

bool CPropertyRows::isSection(const pugi::xml_node& child) {
    return child.type() == pugi::node_element && child.first_child().type() == pugi::node_element;
}

std::vector<CPropertyRow> CPropertyRows::list(const pugi::xml_node& element,
                                              const CValidationSchema& schema,
                                              const CSchemaPlace& place) {
    return list(element, schema, place, Options());
}

std::vector<CPropertyRow> CPropertyRows::list(const pugi::xml_node& element,
                                              const CValidationSchema& schema,
                                              const CSchemaPlace& place, const Options& options) {
    const auto children = element.children();
    return list(std::vector<pugi::xml_node>(children.begin(), children.end()), schema, place,
                options);
}

std::vector<CPropertyRow> CPropertyRows::list(const std::vector<pugi::xml_node>& children,
                                              const CValidationSchema& schema,
                                              const CSchemaPlace& place, const Options& options) {
    std::vector<CPropertyRow> rows;
    for (const pugi::xml_node& child : children) {
        if (isLeaf(child)) {
            rows.push_back(row(child, entryOf(schema, place, child.name()), options));
        }
    }
    return rows;
}

CPropertyRow CPropertyRows::row(const pugi::xml_node& leaf, const pugi::xml_node& entry,
                                const Options& options) {
    CPropertyRow row;
    const pugi::xml_attribute attribute = leaf.first_attribute();
    row.label = CPropertyLabel::make(leaf.name(), attribute.value(), !attribute.empty());
    const std::string_view value = leaf.text().get();
    row.value = fromUtf8(value);
    if (!entry) {
        row.textRgb = CPropertyRow::kGrey;
        return row;
    }
    switch (CValidationSchema::control(entry)) {
        case CValidationSchema::Control::Edit:
            row.editor = CPropertyRow::Editor::Text;
            row.valueType = CValidationSchema::valueType(entry);
            if (!value.empty()) {
                row.typeProblem = row.valueType.problem(row.value);
            }
            if (!row.typeProblem.isEmpty()) {
                row.backgroundRgb = CPropertyRow::kInvalidBackground;
            }
            break;
        case CValidationSchema::Control::Combo:
            row.initialIndex = CValidationSchema::lastOptionIndex(entry, value);
            if (row.initialIndex < 0) {
                row.textRgb = options.notAnOptionRgb;
                break;
            }
            row.editor = CPropertyRow::Editor::Combo;
            for (const std::string& option : CValidationSchema::options(entry)) {
                row.options.append(fromUtf8(option));
            }
            break;
        case CValidationSchema::Control::ReadOnly:
            break;
    }
    return row;
}

CValueType CPropertyRows::typeOf(const std::vector<CPropertyRow>& rows, const QString& label) {
    for (const CPropertyRow& row : rows) {
        if (row.label == label) {
            return row.valueType;
        }
    }
    return {};
}
