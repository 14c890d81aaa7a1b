#pragma once

#include "core/address/CSettingAddress.h"
#include "core/plan/CPropertyRow.h"
#include "core/plan/CSchemaPlace.h"

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>
#include <vector>

class CBusTreeItem;

// What a click on an item of the bus view does, worked out from the item's role and kind
// and the plan at the moment of the click. The page remembers where its settings go, so
// that a value edited on it is sent to the device it lists, wherever the tree's
// selection has moved since.
class CBusPage {
public:
    enum class Action {
        Nothing,      // no rows
        List,         // rows: the leaf children of element
        QueryDevice,  // a device without a type: ask it for its settings
        NoType,       // a section of a device whose type the plan does not hold
    };

    static CBusPage forItem(const pugi::xml_document& plan, const CBusTreeItem& item);

    Action action = Action::Nothing;
    // The value column's header.
    QString header;
    pugi::xml_node element;
    // The validation schema's entry: the first one of the key in the device type's section,
    // whatever port it is bound to.
    CSchemaPlace place;

    quint32 gatewayAddress = 0;
    quint32 uid = 0;
    // The port and section of the listed settings; each row adds its key and index.
    CSettingAddress section;

    // The rows listed (List): their value types say what a row's value must be.
    std::vector<CPropertyRow> rows;

    // The set command for a row of this page, "#UIDn[.port][.section].key[.index]=value;",
    // with the key and index read from the row's label. Empty, with the reason in refusal,
    // when a part may not go out (the value check of every value that is sent).
    QByteArray command(const QString& rowLabel, const QString& value, QString& refusal) const;
};
