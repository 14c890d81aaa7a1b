#pragma once

#include <QByteArray>

// What a modeless child window of the main frame may receive from it. A keypad
// implements OnKeypadStatus (UMW_KEYPAD_STATUS), the trace window OnTraceLine (the
// bracket texts). The frame calls these queued, on the GUI thread, each with a copy.
class IFrameChild {
public:
    virtual ~IFrameChild() = default;
    virtual void OnKeypadStatus(const QByteArray& text) { Q_UNUSED(text); }
    virtual void OnTraceLine(const QByteArray& text) { Q_UNUSED(text); }
};
