#pragma once

#include "core/bus/CBusPage.h"
#include "gui/base/CViewContext.h"

#include <QMetaObject>
#include <array>
#include <memory>
#include <optional>

class CBusTreeItem;
class CPropertyList;
class CValueCommit;

// The bus view's property list: the settings on the page of the item clicked last
// (CBusPage), listed again as the plan changes. A value changed in it goes, in upper case,
// to the device its page lists, wherever the tree's selection has moved since (CValueCommit),
// at the end of an edit or a combo choice.
class CBusPageList {
public:
    CBusPageList(CPropertyList& list, const CViewContext& context);
    ~CBusPageList();
    CBusPageList(const CBusPageList&) = delete;
    CBusPageList& operator=(const CBusPageList&) = delete;

    // A click on item: its page, with the header shown and the rows listed when it has any.
    CBusPage show(const CBusTreeItem& item);
    // The plan changed: the page of item is listed again when its rows did.
    void follow(const CBusTreeItem& item);
    // No page: no rows, no header, and a changed value goes nowhere.
    void clear();

private:
    CBusPage pageOf(const CBusTreeItem& item) const;
    void list(CBusPage page);

    CPropertyList& m_list;
    CViewContext m_context;
    std::optional<CBusPage> m_page;
    std::unique_ptr<CValueCommit> m_commit;
    std::array<QMetaObject::Connection, 2> m_connections;
};
