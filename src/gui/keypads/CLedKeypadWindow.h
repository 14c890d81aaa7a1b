#pragma once

#include "core/keypads/CLedKeyDispatch.h"
#include "core/protocol/CKeypadAddress.h"
#include "gui/keypads/CKeypadWindow.h"

#include <optional>

class QGroupBox;
class QLabel;

// The eleven keys of an LED wall keypad and what they do, shared by the LED keypad and the
// basic keypad: "1" to "6", "Preset", "Toolbox", "On", "Off" and "*". The keypad starts in
// Preset mode; Space sends On and Off in turn.
class CLedKeypadWindow : public CKeypadWindow {
    Q_OBJECT

public:
    vorel::keypad::Mode mode() const { return m_mode; }

protected:
    CLedKeypadWindow(int child, const QString& caption, CLedKeyDispatch::Endings endings,
                     QWidget* parent);

    // The keys in a group of their own, with the mode shown under them.
    QGroupBox* buildKeys();
    // The address for a command about to go out (a refused address box gives none, and
    // the command is not sent), and where it goes.
    virtual std::optional<CKeypadAddress> commandAddress() = 0;
    virtual CKeypadAddress shownAddress() const = 0;
    // Nothing when the command cannot go where it should; it is then not sent.
    virtual std::optional<quint32> commandTarget() const = 0;
    void sendCommand(const QByteArray& text);

    void onKey(vorel::keypad::Key key, vorel::keypad::KeyEvent event) override;
    void onSpace(bool pressed) override;

private:
    void setMode(vorel::keypad::Mode mode);

    CLedKeyDispatch::Endings m_endings;
    vorel::keypad::Mode m_mode = vorel::keypad::Mode::Preset;
    QLabel* m_modeLabel = nullptr;
    vorel::keypad::Key m_spaceKey = vorel::keypad::Key::On;
    bool m_spaceSendsOff = false;
};
