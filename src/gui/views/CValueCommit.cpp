#include "CValueCommit.h"

#include "app/CDialogService.h"
#include "controls/CPropertyList.h"

CValueCommit::CValueCommit(CPropertyList& list, Command command, Send send, Form form)
    : m_list(list),
      m_command(std::move(command)),
      m_send(std::move(send)),
      m_form(std::move(form)) {}

void CValueCommit::pageListed() {
    m_listed = true;
    m_shown.clear();
    for (int row = 0; row < m_list.rowCount(); ++row) {
        m_shown.append(m_list.row(row).value);
    }
}

void CValueCommit::pageCleared() {
    m_listed = false;
    m_shown.clear();
}

void CValueCommit::commit(int row, int column) {
    if (row < 0 || column != CPropertyList::kValueColumn) {
        return;
    }
    const QString typed = m_list.cellText(row, column);
    const QString value = m_form ? m_form(typed) : typed;
    // An edit that changed nothing sends nothing.
    if (!m_list.takeModified(row)) {
        return;
    }
    if (value != typed) {
        m_list.setCellText(row, value);
    }
    if (!m_listed) {
        return;
    }
    QString refusal;
    const QByteArray command = m_command(m_list.cellText(row, 0), value, refusal);
    if (command.isEmpty()) {
        if (!refusal.isEmpty()) {
            CDialogService::message(refusal);
        }
        putBack(row);
    } else if (!m_send(command)) {
        putBack(row);
    } else if (row < m_shown.size()) {
        m_shown[row] = value;
    }
}

void CValueCommit::putBack(int row) {
    if (row < m_shown.size()) {
        m_list.setCellText(row, m_shown[row]);
    }
}
