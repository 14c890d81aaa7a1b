#pragma once

#include "gui/keypads/CLedKeypadWindow.h"

class CKeypadAddressBox;

// The basic virtual keypad ("Tavo A"): the eleven keys of an LED wall keypad and an
// address, always broadcast, its texts without a terminator. It starts at 2.1.0 in Preset
// mode every time it opens and shows no status.
class Cvpad_basic : public CLedKeypadWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Tavo A";

    explicit Cvpad_basic(QWidget* parent = nullptr);

protected:
    std::optional<CKeypadAddress> commandAddress() override;
    CKeypadAddress shownAddress() const override;
    std::optional<quint32> commandTarget() const override;

private:
    CKeypadAddressBox* m_addressBox = nullptr;
};
