#pragma once

#include "core/common/ITickTimer.h"
#include "core/protocol/KeypadTypes.h"
#include "gui/base/IFrameChild.h"
#include "gui/controls/CmyButton.h"
#include "gui/controls/CmySlider.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <chrono>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;

// What the virtual keypads and the sun dialog share: a modeless window of the main frame
// that goes away when closed (close box, Esc or Enter, unless it is closed by its own
// toggle only) and then tells the frame its number; the press-and-hold keys; and the
// keyboard, so that a tester walking the site with the laptop on one arm can drive the
// keypad without the mouse: the digits 1 to 6 hold the numbered keys as long as they are
// held, Space is the keypad's own (On and Off in turn, say), and the arrow keys move the
// selected slider, which is sent when the key is let go. While a text box has the focus
// the keys are the box's: typing an address never presses a keypad key. A keypad with a
// status line says there when a command it sent heard no status back within kStatusWait.
class CKeypadWindow : public QDialog, public IFrameChild {
    Q_OBJECT

public:
    // child: the number the window tells the frame when it closes; 0 for none.
    CKeypadWindow(int child, const QString& caption, QWidget* parent = nullptr);

    // The press-and-hold key, or null when the window has no such key.
    CmyButton* key(vorel::keypad::Key key) const;
    CmySlider* selectedSlider() const { return m_selected; }
    void selectSlider(CmySlider* slider);

    static std::optional<vorel::keypad::KeyEvent> keyEventOf(CmyButton::Notification code);

    static constexpr std::chrono::milliseconds kStatusWait{1000};
    // The timer that waits for a status (the event loop's unless a test hands one in).
    void setStatusTimer(std::unique_ptr<ITickTimer> timer);
    // A value box that shows and never takes the focus nor a key, and looks it.
    static void makeValueBox(QLineEdit* box);

signals:
    // A command text for the frame to send (UMW_SEND_TEXT_FREE); all bits set: broadcast.
    void sendRequested(quint32 address, const QByteArray& text);
    // The window is closing (UMW_CHILD_CLOSED).
    void childClosed(int child);

public slots:
    void reject() override;
    void accept() override;

protected:
    // A press-and-hold key whose events go to onKey().
    CmyButton* addKey(vorel::keypad::Key key, const QString& text);
    virtual void onKey(vorel::keypad::Key key, vorel::keypad::KeyEvent event);
    // A slider that the arrow keys can move and that the mouse selects; caption is shown
    // bold while it is the selected one.
    void addSlider(CmySlider* slider, QLabel* caption);
    // The mouse let go of a slider, or an arrow key that moved it.
    virtual void onSliderLetGo(CmySlider* slider);
    virtual void onSpace(bool pressed);
    // The keyboard help shown as the keys' tooltip.
    static QString keyboardHelp(const QString& spaceDoes);
    // Esc and Enter leave the window open (it has a toggle of its own).
    void keepOpenOnKeys() { m_closedByKeys = false; }

    // The status line; null until made.
    QLabel* addStatusLine();
    // A command went out: when no status arrives within kStatusWait, the status line says
    // silence (what silence means, from silenceText()).
    void awaitStatus();
    void statusArrived();
    virtual QString silenceText() const { return {}; }

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static std::optional<vorel::keypad::Key> numberedKeyOf(int qtKey);
    static int arrowSteps(int qtKey);
    void letGoOfEverything();
    bool textBoxHasFocus() const;
    bool isClosingKey(int qtKey) const;

    int m_child;
    QHash<int, CmyButton*> m_keys;  // by vorel::keypad::Key
    QHash<CmySlider*, QLabel*> m_captions;
    QPointer<CmySlider> m_selected;
    bool m_spaceHeld = false;
    bool m_closedByKeys = true;
    QLabel* m_statusLine = nullptr;
    std::unique_ptr<ITickTimer> m_statusTimer;
};
