#pragma once

#include <QWidget>
#include <functional>

// A view the main frame shows in its client area. The frame builds a fresh one at every
// view switch, connects it to the document's updates, runs its initial update and routes
// the commands it handles to it; a view keeps no state across switches.
class CFormView : public QWidget {
    Q_OBJECT

public:
    explicit CFormView(QWidget* parent = nullptr) : QWidget(parent) {}

    // Fills the view from the document and the settings, once, after it is shown.
    virtual void OnInitialUpdate() {}
    // The document changed; the hint says how.
    virtual void OnUpdate(quint32 hint) { Q_UNUSED(hint); }
    // Menu commands of the frame that this view carries out while it is shown.
    virtual bool handlesCommand(int command) const {
        Q_UNUSED(command);
        return false;
    }
    virtual void OnCommand(int command) { Q_UNUSED(command); }

protected:
    // What a run that outlives a view switch calls to tell the user something: the message
    // box shows only while this view is still the one shown.
    std::function<void()> messageWhileShown(const char* text);
};
