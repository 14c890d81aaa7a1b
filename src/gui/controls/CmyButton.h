#pragma once

#include "core/common/ITickTimer.h"

#include <QPushButton>
#include <chrono>
#include <memory>

// The press-and-hold button of the keypads. Besides the standard click it tells its owner
// when the left button went down, whether it came up before or after five seconds, the
// moment five seconds were reached while still held, and double clicks. A keypad ramps a
// light while a key is held and stores a preset on a long press with these.
class CmyButton : public QPushButton {
    Q_OBJECT

public:
    // The control notification codes the keypads dispatch on; the numbers are kept from the
    // window-message version of this button.
    enum Notification {
        NMB_PRESSED = 1025,
        NMB_SHORT = 1026,
        NMB_LONG = 1027,
        NMB_HELD = 1028,
        NMB_DBLCLK = 1029,
    };
    Q_ENUM(Notification)

    // The hold timer (timer identifier 20 in the window-message version) ticks once a
    // second; the fifth tick makes a press long.
    static constexpr std::chrono::milliseconds kTickPeriod{1000};
    static constexpr int kLongPressTicks = 5;

    explicit CmyButton(QWidget* parent = nullptr);
    explicit CmyButton(const QString& text, QWidget* parent = nullptr);
    ~CmyButton() override;

    // Replaces the hold timer (null: a real one again). Tests give each button a timer of
    // one CManualTimerSource and advance that by hand.
    void setTickTimer(std::unique_ptr<ITickTimer> timer);
    bool isHoldTimerRunning() const;

    // The same as the left mouse button going down and coming up, for owners that let the
    // keyboard drive their buttons: the hold is timed and reported alike, and the button
    // looks pressed meanwhile. A second holdDown() before letGo() is ignored.
    void holdDown();
    void letGo();
    bool isHeldByKey() const { return m_heldByKey; }

    // The owner's identifier for this button, carried by every notification.
    void setControlId(int id) { m_controlId = id; }
    int controlId() const { return m_controlId; }

signals:
    // Emitted synchronously: the owner has handled it before the button goes on with the
    // standard handling of the same mouse event.
    void notified(CmyButton* button, CmyButton::Notification code);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void onTick();
    // The press and the release of a hold, by mouse or by key; false when the owner
    // destroyed the button meanwhile.
    bool beginHold();
    bool endHold();
    // False when the owner destroyed the button while handling the notification.
    bool notify(Notification code);

    std::unique_ptr<ITickTimer> m_timer;
    int m_holdTicks = 0;
    int m_controlId = 0;
    bool m_heldByKey = false;
};
