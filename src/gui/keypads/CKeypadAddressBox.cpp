#include "gui/keypads/CKeypadAddressBox.h"

#include "gui/keypads/CBeep.h"

#include <QKeyEvent>

CKeypadAddressBox::CKeypadAddressBox(Range range, const CKeypadAddress& initial, QWidget* parent)
    : QLineEdit(QString::fromLatin1(initial.text()), parent), m_range(range), m_address(initial) {
    connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
}

std::optional<CKeypadAddress> CKeypadAddressBox::commit() {
    const QByteArray typed = text().toLatin1();
    if (typed == m_address.text()) {
        return m_address;
    }
    const std::optional<CKeypadAddress> parsed = m_range == Range::Bytes
                                                     ? CKeypadAddress::parseBox(typed)
                                                     : CKeypadAddress::parseWideBox(typed);
    if (parsed) {
        m_address = *parsed;
    } else {
        CBeep::warning();
    }
    setText(QString::fromLatin1(m_address.text()));
    return parsed;
}

void CKeypadAddressBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter applies the address; it does not close the keypad as it does elsewhere.
        commit();
        event->accept();
        emit entered();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Takes back what was typed; the keypad stays open.
        setText(QString::fromLatin1(m_address.text()));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
