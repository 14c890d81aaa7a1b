#pragma once

#include "gui/controls/CmyButton.h"
#include "gui/keypads/CBeep.h"
#include "gui/keypads/CKeypadWindow.h"
#include "support/CManualTimerSource.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QList>
#include <QMouseEvent>
#include <QPair>
#include <QWidget>

// Watches a keypad: what it asks to send (address and text), how often it beeps, and a
// hand-driven clock for its hold timers.
class CKeypadProbe {
public:
    using Sent = QPair<quint32, QByteArray>;

    explicit CKeypadProbe(CKeypadWindow* keypad) {
        CBeep::setTestHook([this] { ++beeps; });
        QObject::connect(keypad, &CKeypadWindow::sendRequested, keypad,
                         [this](quint32 address, const QByteArray& text) {
                             sent.append({address, text});
                         });
        keypad->setStatusTimer(time.createTimer());
        for (int key = 1; key <= 15; ++key) {
            if (CmyButton* button = keypad->key(static_cast<vorel::keypad::Key>(key))) {
                button->setTickTimer(time.createTimer());
            }
        }
    }
    ~CKeypadProbe() { CBeep::setTestHook(nullptr); }
    CKeypadProbe(const CKeypadProbe&) = delete;
    CKeypadProbe& operator=(const CKeypadProbe&) = delete;

    QList<QByteArray> texts() const {
        QList<QByteArray> texts;
        for (const Sent& one : sent) {
            texts.append(one.second);
        }
        return texts;
    }
    QList<QByteArray> takeTexts() {
        const QList<QByteArray> taken = texts();
        sent.clear();
        return taken;
    }

    // Mouse events straight to the widget, one event each, so that no double click is
    // made up from two quick presses.
    static void mouse(QWidget* widget, QEvent::Type type, QPoint at = {-1, -1}) {
        const QPointF position = at.x() < 0 ? QRectF(widget->rect()).center() : QPointF(at);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, position, widget->mapToGlobal(position), Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
    static void press(QWidget* widget) { mouse(widget, QEvent::MouseButtonPress); }
    static void release(QWidget* widget) { mouse(widget, QEvent::MouseButtonRelease); }
    static void click(QWidget* widget) {
        press(widget);
        release(widget);
    }
    static void key(QWidget* window, QEvent::Type type, int qtKey, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(window, &event);
    }
    static void tap(QWidget* window, int qtKey) {
        key(window, QEvent::KeyPress, qtKey);
        key(window, QEvent::KeyRelease, qtKey);
    }

    CManualTimerSource time;
    QList<Sent> sent;
    int beeps = 0;
};
