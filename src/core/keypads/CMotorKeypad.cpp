#include "core/keypads/CMotorKeypad.h"

#include "core/keypads/CStatusValue.h"
#include "core/protocol/CKeypadCommands.h"
#include "core/protocol/CKeypadNumber.h"

#include <algorithm>

using namespace vorel::keypad;
using MotorAction = CKeypadCommands::MotorAction;

CMotorKeypad::CMotorKeypad(const CKeypadAddress& base) : m_address(base) {}

QString CMotorKeypad::leftLabel() const {
    return m_bank == 0 ? QStringLiteral("A") : QStringLiteral("C");
}

QString CMotorKeypad::rightLabel() const {
    return m_bank == 0 ? QStringLiteral("B") : QStringLiteral("D");
}

CKeypadAddress CMotorKeypad::withNode(int node) const {
    return {m_address.zone, m_address.group, node};
}

CMotorKeypad::Outcome CMotorKeypad::onKey(Key key, KeyEvent event) {
    const bool released = event == KeyEvent::ShortRelease || event == KeyEvent::LongRelease;
    if (const int number = keyNumber(key); number != 0) {
        if (event == KeyEvent::Held) {
            return {{}, true};
        }
        if (!released) {
            return {};
        }
        const MotorAction action =
            event == KeyEvent::ShortRelease ? MotorAction::Recall : MotorAction::Store;
        return {CKeypadCommands::motor(withNode(0), action, number)};
    }
    if (key == Key::Star) {
        if (event == KeyEvent::DoubleClick) {
            return {CKeypadCommands::motor(withNode(0), MotorAction::Retract)};
        }
        if (released) {
            m_bank = 1 - m_bank;
        }
        return {};
    }
    if (!released) {
        return {};
    }
    const int column = key == Key::RightUp || key == Key::RightDown ? 1 : 0;
    const int node = m_address.node + 2 * m_bank + column;
    switch (key) {
        case Key::LeftUp:
        case Key::RightUp:
            return {CKeypadCommands::motor(withNode(node), MotorAction::Up)};
        case Key::LeftDown:
        case Key::RightDown:
            return {CKeypadCommands::motor(withNode(node), MotorAction::Down)};
        default:
            return {};
    }
}

QByteArray CMotorKeypad::stopCommand() const {
    return CKeypadCommands::motor(withNode(0), MotorAction::Stop);
}

QByteArray CMotorKeypad::gotoCommand(int slider, int hundredths) const {
    return CKeypadCommands::motorGoto(withNode(m_address.node + slider), hundredths);
}

std::optional<CMotorKeypad::Position> CMotorKeypad::status(QByteArrayView line) const {
    const CKeypadAddress reported = CKeypadAddress::ofStatusLine(line);
    if (reported.zone != m_address.zone || reported.group != m_address.group) {
        return std::nullopt;
    }
    const int slider = reported.node - m_address.node;
    if (slider != kFirstSlider && slider != kSecondSlider) {
        return std::nullopt;
    }
    static constexpr QByteArrayView kMarker("POSITION=");
    const qsizetype at = line.indexOf(kMarker);
    if (at < 0) {
        return std::nullopt;
    }
    return Position{slider, parsePosition(CStatusValue::value(line.sliced(at + kMarker.size())))};
}

int CMotorKeypad::parsePosition(QByteArrayView value) {
    const qsizetype dot = value.indexOf('.');
    const qint64 whole = CKeypadNumber::leading(dot < 0 ? value : value.first(dot));
    int hundredths = 0;
    if (dot >= 0) {
        // A decimal fraction: its first digit counts tenths, its second hundredths.
        const QByteArrayView fraction = value.sliced(dot + 1);
        int weight = 10;
        for (qsizetype i = 0; i < fraction.size() && weight > 0; ++i, weight /= 10) {
            const char c = fraction[i];
            if (c < '0' || c > '9') {
                break;
            }
            hundredths += (c - '0') * weight;
        }
    }
    const qint64 position = whole * 100 + (whole < 0 ? -hundredths : hundredths);
    return static_cast<int>(std::clamp<qint64>(position, 0, kPositionMax));
}

QString CMotorKeypad::positionText(int hundredths) {
    return QString::asprintf("%d.%02d%%", hundredths / 100, hundredths % 100);
}
