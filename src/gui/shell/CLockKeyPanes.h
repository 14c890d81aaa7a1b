#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

// The caps lock, num lock and scroll lock panes of the status bar. Qt does not tell the
// lock states, so they are read from the key events the program sees: on X11 every key
// event carries the lock state of Caps Lock and Num Lock; Scroll Lock is followed by its
// own key presses. Until the first key event the panes show nothing.
class CLockKeyPanes : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kCapsText = "CAP";
    static constexpr const char* kNumText = "NUM";
    static constexpr const char* kScrollText = "SCRL";

    explicit CLockKeyPanes(QStatusBar* statusBar);

    void setStates(bool caps, bool num, bool scroll);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QLabel* addPane(QStatusBar* statusBar, const char* text);
    static void show(QLabel* pane, const char* text, bool on);

    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
    bool m_capsOn = false;
    bool m_numOn = false;
    bool m_scrollOn = false;
};
