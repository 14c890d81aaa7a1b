#pragma once

#include "core/plan/CPropertyRow.h"

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>
#include <vector>

class CValidationSchema;

// A page of the gateway configuration view: which settings a click on a tree item lists,
// and where a changed value goes. The page remembers its gateway, port and section when it
// is listed, so that a commit goes to the page the user sees, wherever the tree's
// selection has moved since.
class CGatewayPage {
public:
    static constexpr const char* kHeader = "IP: %1";
    static constexpr const char* kRestartNeeded = "Changes on this page requires an Ubrix restart";
    static constexpr const char* kConnectionRestartNeeded =
        "Changes to connection parameters requires an Ubrix restart";

    // The clicked item: its gateway's address, its kind, its label and its parent's label.
    struct Item {
        quint32 address = 0;
        int kind = 0;
        QString label;
        QString parentLabel;
    };

    static CGatewayPage list(const pugi::xml_document& plan, const CValidationSchema& schema,
                             const Item& item);
    // What the restart note says while a page of that kind is shown.
    static QString restartNote(int kind);

    // Whether the page shows settings that can be sent (some kinds list nothing).
    bool isListed() const { return m_listed; }
    quint32 address() const { return m_address; }
    const QString& header() const { return m_header; }
    const QString& restartNote() const { return m_restartNote; }
    const std::vector<CPropertyRow>& rows() const { return m_rows; }

    // "&[port.][section.]key[.index]=value;" for the row labelled rowLabel. Empty, with the
    // reason in refusal, when the value (or the label's key or index) cannot be sent.
    QByteArray command(const QString& rowLabel, const QString& value, QString& refusal) const;

private:
    void listSection(const std::vector<pugi::xml_node>& children, const CValidationSchema& schema,
                     const std::string& type, const QString& label);
    void listPortSection(const std::vector<pugi::xml_node>& children,
                         const CValidationSchema& schema, const std::string& type,
                         const Item& item);

    bool m_listed = false;
    quint32 m_address = 0;
    // The port and section of the listed settings; each row adds its key and index.
    CSettingAddress m_section;
    QString m_header;
    QString m_restartNote;
    std::vector<CPropertyRow> m_rows;
};
