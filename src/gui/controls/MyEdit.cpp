#include "gui/controls/MyEdit.h"

#include "gui/controls/CUpperCaseValidator.h"

#include <QKeyEvent>

MyEdit::MyEdit(QWidget* parent) : QLineEdit(parent) {
    setForceUpperCase(true);
}

void MyEdit::setForceUpperCase(bool on) {
    if (on == forcesUpperCase()) {
        return;
    }
    const auto* previous = qobject_cast<const CUpperCaseValidator*>(validator());
    setValidator(on ? new CUpperCaseValidator(this) : nullptr);
    delete previous;
    if (on) {
        setText(CUpperCaseValidator::toUpperCase(text()));
    }
}

bool MyEdit::forcesUpperCase() const {
    return qobject_cast<const CUpperCaseValidator*>(validator()) != nullptr;
}

bool MyEdit::isSendKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool MyEdit::event(QEvent* event) {
    // Claim Enter and Esc before any shortcut of the window sees them.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (isSendKey(key) || key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void MyEdit::keyPressEvent(QKeyEvent* event) {
    if (isSendKey(event->key())) {
        event->accept();
        emit sendRequested();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        clear();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
