#pragma once

#include "core/plan/CPropertyRow.h"
#include "core/plan/CSchemaPlace.h"

#include <pugixml.hpp>
#include <vector>

class CValidationSchema;

// The rows of a property page, from a plan (or project) element and the validation schema:
// one row per leaf child in document order, its editor chosen by the schema entry's
// control word. A pure function: the views only show what it returns.
//
// - No entry: the value in grey, read-only.
// - "EDIT": black, a text editor, with the entry's value type; a value that is not of
//   that type keeps its text and is marked (kInvalidBackground, and the reason).
// - "COMBO": black, a combo of the entry's options with the last option equal to the
//   value (case matters) chosen. A value that is none of them is shown read-only in the
//   page's mismatch colour (grey in the configuration views).
// - Any other word: black, read-only.
class CPropertyRows {
public:
    struct Options {
        quint32 notAnOptionRgb = CPropertyRow::kGrey;
    };

    static std::vector<CPropertyRow> list(const pugi::xml_node& element,
                                          const CValidationSchema& schema,
                                          const CSchemaPlace& place);
    static std::vector<CPropertyRow> list(const pugi::xml_node& element,
                                          const CValidationSchema& schema,
                                          const CSchemaPlace& place, const Options& options);
    // The same for children already gathered (from several elements, say).
    static std::vector<CPropertyRow> list(const std::vector<pugi::xml_node>& children,
                                          const CValidationSchema& schema,
                                          const CSchemaPlace& place, const Options& options);

    // A child that is a setting rather than a section: no content at all (a value that
    // was cleared), or text first.
    static bool isLeaf(const pugi::xml_node& child);
    // A child that holds further elements first: a section.
    static bool isSection(const pugi::xml_node& child);

    // The value type of the row labelled label; free text when no row is.
    static CValueType typeOf(const std::vector<CPropertyRow>& rows, const QString& label);

    // The row of one leaf with its schema entry (null: none).
    static CPropertyRow row(const pugi::xml_node& leaf, const pugi::xml_node& entry,
                            const Options& options);
};
