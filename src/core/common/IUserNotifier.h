#pragma once

#include <QString>

// How the core tells the user something. The program shows a message box; the command
// line prints to stderr; tests record the texts.
class IUserNotifier {
public:
    virtual ~IUserNotifier() = default;
    virtual void showMessage(const QString& text) = 0;
};
