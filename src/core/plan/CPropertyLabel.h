#pragma once

#include <QString>
#include <string_view>

// The label of a property row or a tree item and its way back: an element's name, or
// "NAME (value)" with the value of its first attribute. A command needs the name as key
// and the value as index; both are read from the label's own form, whatever their length.
class CPropertyLabel {
public:
    struct Parts {
        QString key;
        QString index;  // empty: the label has no "(...)"
        bool hasIndex = false;
    };

    static QString make(std::string_view name, std::string_view firstAttribute, bool hasAttribute);
    // "NAME (value)": key NAME, index value (everything up to the closing ")" that ends the
    // label). Any other label is its own key, without index.
    static Parts split(const QString& label);
};
