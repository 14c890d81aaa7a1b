#pragma once

#include "core/keypads/CMotorKeypad.h"
#include "gui/keypads/CKeypadWindow.h"

#include <array>

struct CKeypadAddressBlock;
class CKeypadAddressBox;
class CKeypadTargetList;
class CTransport;
class CUbrixVorelDoc;
class CmySlider;
class QLabel;
class QLineEdit;

// The motor virtual keypad ("Tavo MX"): preset keys, UP and DN for two motor channels at a
// time (A and B, or C and D after "*"), STOP, and two position sliders for the screen (the
// base node) and the mask (the next node), 0 % at the top, rolled up. Reported positions
// move the sliders.
class Cvpad_motor : public CKeypadWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Tavo MX";

    // Starts at entry 6 of the block, which the frame sets to 1.1.1 first.
    Cvpad_motor(const CUbrixVorelDoc& doc, const CTransport& transport,
                const CKeypadAddressBlock& block, QWidget* parent = nullptr);

    int bank() const { return m_motor.bank(); }

    // UMW_KEYPAD_STATUS.
    void OnKeypadStatus(const QByteArray& text) override;

protected:
    void onKey(vorel::keypad::Key key, vorel::keypad::KeyEvent event) override;
    void onSliderLetGo(CmySlider* slider) override;
    void onSpace(bool pressed) override;
    QString silenceText() const override;

private:
    QWidget* buildKeys();
    QWidget* buildSliders();
    // The address box committed into the motor logic; false when it was refused.
    bool takeAddress();
    void send(const QByteArray& text);
    void stop();
    void refreshLabels();
    void refreshPositionBoxes();

    CMotorKeypad m_motor;
    CKeypadAddressBox* m_addressBox = nullptr;
    CKeypadTargetList* m_targets = nullptr;
    // By CMotorKeypad::kFirstSlider ("Screen") and kSecondSlider ("Mask").
    std::array<CmySlider*, 2> m_sliders{};
    std::array<QLineEdit*, 2> m_boxes{};
    std::array<QLabel*, 2> m_columns{};
    // A position was reported or set here: until then its box stays blank.
    std::array<bool, 2> m_known{};
};
