#include "gui/views/CBusPageList.h"

#include "core/bus/CBusActions.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CPropertyRows.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CValueValidator.h"
#include "core/transport/CTransport.h"
#include "gui/base/CViewState.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CValueCommit.h"

CBusPageList::CBusPageList(CPropertyList& list, const CViewContext& context)
    : m_list(list), m_context(context) {
    m_commit = std::make_unique<CValueCommit>(
        m_list, m_page,
        [this](const QByteArray& command) {
            return m_context.transport.SendText(command, m_page->gatewayAddress);
        },
        &CValueValidator::busDeviceForm);
    m_commit->reportTo(m_context.state.status, [this] {
        return QStringLiteral("UID %1 behind %2")
            .arg(m_page->uid)
            .arg(CBusActions::gatewayName(m_context.doc.plan(), m_page->gatewayAddress));
    });
    const auto commit = [this](int row, int column) { m_commit->commit(row, column); };
    m_connections = {QObject::connect(&m_list, &CPropertyList::editEnded, &m_list, commit),
                     QObject::connect(&m_list, &CPropertyList::comboSelected, &m_list, commit)};
}

CBusPageList::~CBusPageList() {
    // The list is the view's widget and outlives this by a moment.
    for (const QMetaObject::Connection& connection : m_connections) {
        QObject::disconnect(connection);
    }
}

CBusPage CBusPageList::show(const CBusTreeItem& item) {
    clear();
    CBusPage page = pageOf(item);
    m_list.setValueHeader(page.header);
    if (page.action == CBusPage::Action::List) {
        list(page);
    }
    return page;
}

void CBusPageList::follow(const CBusTreeItem& item) {
    if (m_list.isEditing()) {
        return;
    }
    CBusPage page = pageOf(item);
    if (page.action != CBusPage::Action::List ||
        (m_page && m_page->uid == page.uid && m_page->section == page.section &&
         m_page->rows == page.rows)) {
        return;
    }
    m_list.setValueHeader(page.header);
    list(std::move(page));
}

void CBusPageList::clear() {
    m_list.clearRows();
    m_page.reset();
    m_commit->pageCleared();
    m_list.setValueHeader(QString());
}

CBusPage CBusPageList::pageOf(const CBusTreeItem& item) const {
    CBusPage page = CBusPage::forItem(m_context.doc.plan(), item);
    if (page.action == CBusPage::Action::List) {
        page.rows = CPropertyRows::list(page.element, CValidationSchema(m_context.doc.schema()),
                                        page.place);
    }
    return page;
}

void CBusPageList::list(CBusPage page) {
    m_list.setRows(page.rows);
    page.element = {};  // the plan moves on; the page keeps only where values go
    m_page = std::move(page);
    m_commit->pageListed();
}
