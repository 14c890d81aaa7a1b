#include "gui/keypads/CLedKeypadWindow.h"

#include "gui/keypads/CBeep.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

using namespace vorel::keypad;

CLedKeypadWindow::CLedKeypadWindow(int child, const QString& caption,
                                   CLedKeyDispatch::Endings endings, QWidget* parent)
    : CKeypadWindow(child, caption, parent), m_endings(endings) {}

QGroupBox* CLedKeypadWindow::buildKeys() {
    auto* group = new QGroupBox(QStringLiteral("Keypad"), this);
    group->setToolTip(keyboardHelp(QStringLiteral("sends On and Off in turn")));
    auto* grid = new QGridLayout(group);
    // Up keys over down keys, as on the wall: fade, saturation, hue.
    for (int number = 1; number <= 6; ++number) {
        CmyButton* button = addKey(static_cast<Key>(number), QString::number(number));
        grid->addWidget(button, (number - 1) / 3, (number - 1) % 3);
    }
    grid->addWidget(addKey(Key::Preset, QStringLiteral("Preset")), 2, 0);
    grid->addWidget(addKey(Key::Toolbox, QStringLiteral("Toolbox")), 2, 1);
    grid->addWidget(addKey(Key::On, QStringLiteral("On")), 3, 0);
    grid->addWidget(addKey(Key::Off, QStringLiteral("Off")), 3, 1);
    grid->addWidget(addKey(Key::Star, QStringLiteral("*")), 3, 2);
    m_modeLabel = new QLabel(group);
    grid->addWidget(m_modeLabel, 4, 0, 1, 3);
    setMode(Mode::Preset);
    return group;
}

void CLedKeypadWindow::setMode(Mode mode) {
    m_mode = mode;
    if (m_modeLabel != nullptr) {
        m_modeLabel->setText(mode == Mode::Preset ? QStringLiteral("Mode: Preset")
                                                  : QStringLiteral("Mode: Toolbox"));
    }
}

void CLedKeypadWindow::sendCommand(const QByteArray& text) {
    const std::optional<quint32> target = commandTarget();
    if (!target) {
        CBeep::warning();
        return;
    }
    emit sendRequested(*target, text);
    awaitStatus();
}

void CLedKeypadWindow::onKey(Key key, KeyEvent event) {
    CLedKeyDispatch::Outcome outcome =
        CLedKeyDispatch::dispatch(m_endings, m_mode, key, event, shownAddress());
    if (!outcome.command.isEmpty()) {
        const std::optional<CKeypadAddress> address = commandAddress();
        if (!address) {
            return;
        }
        outcome = CLedKeyDispatch::dispatch(m_endings, m_mode, key, event, *address);
        sendCommand(outcome.command);
    }
    if (outcome.beep) {
        CBeep::warning();
    }
    if (outcome.mode) {
        setMode(*outcome.mode);
    }
}

void CLedKeypadWindow::onSpace(bool pressed) {
    if (pressed) {
        m_spaceKey = m_spaceSendsOff ? Key::Off : Key::On;
        key(m_spaceKey)->holdDown();
        return;
    }
    key(m_spaceKey)->letGo();
    m_spaceSendsOff = !m_spaceSendsOff;
}
