#include "gui/views/CValueCommit.h"

#include "gui/base/CDialogService.h"
#include "gui/base/CStatusLine.h"
#include "gui/controls/CPropertyList.h"

CValueCommit::CValueCommit(CPropertyList& list, Command command, Send send, Form form)
    : m_list(list),
      m_command(std::move(command)),
      m_send(std::move(send)),
      m_form(std::move(form)) {}

void CValueCommit::reportTo(CStatusLine& status, std::function<QString()> target) {
    m_status = &status;
    m_target = std::move(target);
}

void CValueCommit::say(const QString& text) const {
    if (m_status != nullptr) {
        m_status->say(text);
    }
}

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
        say(QStringLiteral("Nothing sent: the list shows no device's settings."));
        return;
    }
    QString refusal;
    const QByteArray command = m_command(m_list.cellText(row, 0), value, refusal);
    const QString target = m_target ? m_target() : QString();
    if (command.isEmpty()) {
        putBack(row);
        say(QStringLiteral("Nothing sent: ") +
            (refusal.isEmpty() ? QStringLiteral("%1 cannot be set.").arg(m_list.cellText(row, 0))
                               : refusal));
        if (!refusal.isEmpty()) {
            CDialogService::message(refusal);
        }
    } else if (!m_send(command)) {
        putBack(row);
        say(QStringLiteral("Nothing sent: %1 could not be sent to %2.")
                .arg(QString::fromLatin1(command), target));
    } else {
        say(QStringLiteral("Sent %1 to %2.").arg(QString::fromLatin1(command), target));
    }
}

void CValueCommit::putBack(int row) {
    if (row < m_shown.size()) {
        m_list.setCellText(row, m_shown[row]);
    }
}
