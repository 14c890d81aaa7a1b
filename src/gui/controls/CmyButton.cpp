#include "gui/controls/CmyButton.h"

#include "core/common/CQtTickTimer.h"

#include <QMouseEvent>
#include <QPointer>

CmyButton::CmyButton(QWidget* parent) : CmyButton(QString(), parent) {}

CmyButton::CmyButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setTickTimer(std::make_unique<CQtTickTimer>());
}

CmyButton::~CmyButton() = default;

void CmyButton::setTickTimer(std::unique_ptr<ITickTimer> timer) {
    if (!timer) {
        timer = std::make_unique<CQtTickTimer>();
    }
    m_timer = std::move(timer);
    m_timer->setTickHandler([this] { onTick(); });
}

bool CmyButton::isHoldTimerRunning() const {
    return m_timer->isActive();
}

bool CmyButton::beginHold() {
    m_timer->start(kTickPeriod);
    if (!notify(NMB_PRESSED)) {
        return false;
    }
    m_holdTicks = 0;
    return true;
}

bool CmyButton::endHold() {
    const Notification code = m_holdTicks < kLongPressTicks ? NMB_SHORT : NMB_LONG;
    m_timer->stop();
    return notify(code);
}

void CmyButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !beginHold()) {
        return;
    }
    QPushButton::mousePressEvent(event);
}

void CmyButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !endHold()) {
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void CmyButton::holdDown() {
    if (m_heldByKey) {
        return;
    }
    m_heldByKey = true;
    const QPointer<CmyButton> alive(this);
    if (beginHold() && alive) {
        setDown(true);
    }
}

void CmyButton::letGo() {
    if (!m_heldByKey) {
        return;
    }
    m_heldByKey = false;
    setDown(false);
    endHold();  // nothing of ours is touched after it
}

void CmyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    m_timer->stop();
    if (!notify(NMB_DBLCLK)) {
        return;
    }
    // The standard handling of a double click is a press. QWidget's would route it through
    // our own mousePressEvent and report a second NMB_PRESSED with a running timer, so the
    // button's press handling is called directly.
    QPushButton::mousePressEvent(event);
}

void CmyButton::onTick() {
    ++m_holdTicks;
    if (m_holdTicks >= kLongPressTicks) {
        m_timer->stop();
        notify(NMB_HELD);  // nothing of ours is touched after it
    }
}

bool CmyButton::notify(Notification code) {
    // An owner may close the keypad, and with it this button, from its handler.
    const QPointer<CmyButton> alive(this);
    emit notified(this, code);
    return !alive.isNull();
}
