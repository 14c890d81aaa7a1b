#pragma once

#include "core/protocol/CKeypadAddress.h"

#include <QLineEdit>
#include <optional>

// The address box of a keypad. What is typed becomes the keypad's address when editing
// ends (focus lost, or Enter) and again right before every send, so an address typed just
// before a key is clicked counts even when the keys never take the focus. A text that
// names no address the keypad can use is refused with a beep and the box shows the address
// in use again; an accepted one is shown as the address it became ("3.4" shows 3.4.0).
// Enter takes the address and Esc takes back what was typed: neither closes the keypad.
class CKeypadAddressBox : public QLineEdit {
    Q_OBJECT

public:
    enum class Range {
        Bytes,  // every part 0 to 255
        Wide,   // parts are not limited to 255 (but never negative)
    };

    CKeypadAddressBox(Range range, const CKeypadAddress& initial, QWidget* parent = nullptr);

    const CKeypadAddress& address() const { return m_address; }
    // Takes the typed text; nothing when it was refused.
    std::optional<CKeypadAddress> commit();

signals:
    // Enter was typed in the box (and the address committed).
    void entered();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Range m_range;
    CKeypadAddress m_address;
};
