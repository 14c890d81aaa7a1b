#pragma once

#include <QLineEdit>

// The command box of the traffic view. Enter asks the owner to send the text (and leaves
// it in place for the next send), Esc empties the box, and typed letters come out as
// capitals because the gateways' commands are upper case. Enter and Esc are kept from the
// surrounding dialog, which would otherwise take them as its default button and cancel.
class MyEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit MyEdit(QWidget* parent = nullptr);

    // On by default; the command box is the only user and wants it.
    void setForceUpperCase(bool on);
    bool forcesUpperCase() const;

signals:
    // Enter was typed: the owner sends the text (the view's UMW_VIEW_SEND, 0x8302). Emitted
    // while the key is handled; an owner that wants it posted connects it queued.
    void sendRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static bool isSendKey(int key);
};
