#include "gui/keypads/CKeypadWindow.h"

#include "core/common/CQtTickTimer.h"
#include "gui/controls/CmySlider.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using namespace vorel::keypad;

CKeypadWindow::CKeypadWindow(int child, const QString& caption, QWidget* parent)
    : QDialog(parent), m_child(child) {
    setWindowTitle(caption);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    // The window itself takes the keys; its buttons and sliders never take the focus.
    setFocusPolicy(Qt::StrongFocus);
    setStatusTimer(std::make_unique<CQtTickTimer>());
}

void CKeypadWindow::setStatusTimer(std::unique_ptr<ITickTimer> timer) {
    m_statusTimer = std::move(timer);
    m_statusTimer->setTickHandler([this] {
        m_statusTimer->stop();
        if (m_statusLine != nullptr) {
            m_statusLine->setText(silenceText());
        }
    });
}

void CKeypadWindow::makeValueBox(QLineEdit* box) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    // The colours of a box that cannot be typed into.
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    box->setPalette(palette);
}

QLabel* CKeypadWindow::addStatusLine() {
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("status"));
    return m_statusLine;
}

void CKeypadWindow::awaitStatus() {
    if (m_statusLine != nullptr) {
        m_statusTimer->start(kStatusWait);
    }
}

void CKeypadWindow::statusArrived() {
    m_statusTimer->stop();
    if (m_statusLine != nullptr) {
        m_statusLine->clear();
    }
}

CmyButton* CKeypadWindow::key(Key which) const {
    return m_keys.value(static_cast<int>(which), nullptr);
}

std::optional<KeyEvent> CKeypadWindow::keyEventOf(CmyButton::Notification code) {
    switch (code) {
        case CmyButton::NMB_PRESSED:
            return KeyEvent::Pressed;
        case CmyButton::NMB_SHORT:
            return KeyEvent::ShortRelease;
        case CmyButton::NMB_LONG:
            return KeyEvent::LongRelease;
        case CmyButton::NMB_HELD:
            return KeyEvent::Held;
        case CmyButton::NMB_DBLCLK:
            return KeyEvent::DoubleClick;
    }
    return std::nullopt;
}

CmyButton* CKeypadWindow::addKey(Key which, const QString& text) {
    auto* button = new CmyButton(text, this);
    button->setControlId(static_cast<int>(which));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    connect(button, &CmyButton::notified, this,
            [this, which](CmyButton*, CmyButton::Notification code) {
                if (const auto event = keyEventOf(code)) {
                    onKey(which, *event);
                }
            });
    m_keys.insert(static_cast<int>(which), button);
    return button;
}

void CKeypadWindow::onKey(Key, KeyEvent) {}

void CKeypadWindow::addSlider(CmySlider* slider, QLabel* caption) {
    slider->setFocusPolicy(Qt::NoFocus);
    m_captions.insert(slider, caption);
    connect(slider, &QAbstractSlider::sliderPressed, this,
            [this, slider] { selectSlider(slider); });
    connect(slider, &CmySlider::positionReleased, this, [this, slider] {
        selectSlider(slider);
        onSliderLetGo(slider);
    });
    if (m_selected == nullptr) {
        selectSlider(slider);
    }
}

void CKeypadWindow::selectSlider(CmySlider* slider) {
    for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it) {
        if (it.value() != nullptr) {
            QFont font = it.value()->font();
            font.setBold(it.key() == slider);
            it.value()->setFont(font);
        }
    }
    m_selected = slider;
}

void CKeypadWindow::onSliderLetGo(CmySlider*) {}

void CKeypadWindow::onSpace(bool) {}

QString CKeypadWindow::keyboardHelp(const QString& spaceDoes) {
    return QStringLiteral(
               "Keyboard: 1 to 6 press the numbered keys for as long as they are held, "
               "Space %1, the arrow keys move the selected slider (click one to select it) "
               "and send it when let go.")
        .arg(spaceDoes);
}

void CKeypadWindow::reject() {
    close();
}

void CKeypadWindow::accept() {
    close();
}

void CKeypadWindow::closeEvent(QCloseEvent* event) {
    letGoOfEverything();
    if (m_child != 0) {
        emit childClosed(m_child);
    }
    event->accept();
}

void CKeypadWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}

std::optional<Key> CKeypadWindow::numberedKeyOf(int qtKey) {
    if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_6) {
        return static_cast<Key>(qtKey - Qt::Key_0);
    }
    return std::nullopt;
}

int CKeypadWindow::arrowSteps(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            return 1;
        case Qt::Key_Down:
        case Qt::Key_Left:
            return -1;
        default:
            return 0;
    }
}

bool CKeypadWindow::textBoxHasFocus() const {
    const QWidget* focused = focusWidget();
    return focused != this && qobject_cast<const QLineEdit*>(focused) != nullptr;
}

bool CKeypadWindow::isClosingKey(int qtKey) const {
    return qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter || qtKey == Qt::Key_Escape;
}

void CKeypadWindow::keyPressEvent(QKeyEvent* event) {
    const int qtKey = event->key();
    // What a text box leaves over is not the keypad's either.
    if (textBoxHasFocus() || (isClosingKey(qtKey) && !m_closedByKeys)) {
        event->accept();
        return;
    }
    if (isClosingKey(qtKey)) {
        close();
        return;
    }
    if (const auto numbered = numberedKeyOf(qtKey); numbered && key(*numbered) != nullptr) {
        if (!event->isAutoRepeat()) {
            key(*numbered)->holdDown();
        }
        return;
    }
    if (qtKey == Qt::Key_Space) {
        if (!event->isAutoRepeat() && !m_spaceHeld) {
            m_spaceHeld = true;
            onSpace(true);
        }
        return;
    }
    if (const int steps = arrowSteps(qtKey); steps != 0 && m_selected != nullptr) {
        m_selected->stepVisually(steps);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CKeypadWindow::keyReleaseEvent(QKeyEvent* event) {
    const int qtKey = event->key();
    if (event->isAutoRepeat() || textBoxHasFocus()) {
        event->accept();
        return;
    }
    if (const auto numbered = numberedKeyOf(qtKey); numbered && key(*numbered) != nullptr) {
        key(*numbered)->letGo();
        return;
    }
    if (qtKey == Qt::Key_Space && m_spaceHeld) {
        m_spaceHeld = false;
        onSpace(false);
        return;
    }
    if (arrowSteps(qtKey) != 0 && m_selected != nullptr) {
        onSliderLetGo(m_selected);
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void CKeypadWindow::changeEvent(QEvent* event) {
    // A key held while the window loses the keyboard would never be let go.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        letGoOfEverything();
    }
    QDialog::changeEvent(event);
}

void CKeypadWindow::letGoOfEverything() {
    for (CmyButton* button : std::as_const(m_keys)) {
        if (button->isHeldByKey()) {
            button->letGo();
        }
    }
    if (m_spaceHeld) {
        m_spaceHeld = false;
        onSpace(false);
    }
}
