#pragma once

#include <functional>

class QDialog;

// Runs the program's own modal dialogs (Network Setup, About). Like the dialog service
// for message boxes, it has a test hook: a test installs a runner that fills in and
// closes the dialog instead of the user. Without one, a dialog on a platform that shows
// nothing to a person is cancelled (and said so on the log): nobody could ever close it.
class CModalRunner {
public:
    using Runner = std::function<int(QDialog&)>;

    // The dialog's result (QDialog::Accepted or Rejected).
    static int exec(QDialog& dialog);

    static void setTestRunner(Runner runner);
    static void clearTestRunner();
};
