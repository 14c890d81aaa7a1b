#pragma once

#include "core/protocol/CKeypadAddress.h"
#include "core/protocol/KeypadTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The motor keypad's logic. Its base address N drives the motor channels N to N + 3: the
// two key columns drive N and N + 1 in bank 0 (labelled A and B) and N + 2 and N + 3 in
// bank 1 (C and D); "*" switches the bank. Numbered keys recall and store presets of the
// whole group. The first position slider drives node N, the second node N + 1, and
// reported positions move the slider of the node they come from.
class CMotorKeypad {
public:
    static constexpr int kPositionMax = 10000;  // 100.00 %
    static constexpr int kFirstSlider = 0;
    static constexpr int kSecondSlider = 1;

    struct Outcome {
        QByteArray command;  // empty: nothing is sent
        bool beep = false;

        friend bool operator==(const Outcome&, const Outcome&) = default;
    };

    struct Position {
        int slider = kFirstSlider;
        int hundredths = 0;

        friend bool operator==(const Position&, const Position&) = default;
    };

    explicit CMotorKeypad(const CKeypadAddress& base = {1, 1, 1});

    const CKeypadAddress& address() const { return m_address; }
    void setAddress(const CKeypadAddress& address) { m_address = address; }
    int bank() const { return m_bank; }
    // "A" and "B" in bank 0, "C" and "D" in bank 1.
    QString leftLabel() const;
    QString rightLabel() const;

    // A key event; "*" let go switches the bank.
    Outcome onKey(vorel::keypad::Key key, vorel::keypad::KeyEvent event);
    // The STOP button: every motor of the group.
    QByteArray stopCommand() const;
    // A slider let go at a position.
    QByteArray gotoCommand(int slider, int hundredths) const;
    // The slider a status line moves, and where to; nothing for a line of another zone or
    // group, of a node that no slider drives, or without a position.
    std::optional<Position> status(QByteArrayView line) const;

    // "37.5" is 37.50 %, "37.05" is 37.05 %, "37.567" is 37.56 %; within 0 to 100 %.
    static int parsePosition(QByteArrayView value);
    // "37.50%".
    static QString positionText(int hundredths);

private:
    CKeypadAddress withNode(int node) const;

    CKeypadAddress m_address;
    int m_bank = 0;
};
