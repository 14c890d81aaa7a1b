#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// The one way the program asks the user something: every message box and every file
// dialog goes through here. That gives one place for the program's conventions (captions,
// icons, the file filters in the form the program has always written them) and one place
// for tests to answer instead of the user.
//
// Test hook: a test enables it and queues the answers in the order the code under test
// will ask; each question consumes the next answer and is recorded. A question without a
// fitting answer ends the process with a fatal message naming the question, because a
// dialog that nobody answers would hang the test instead. Only tests switch it on.
//
// On a platform that shows nothing to a person (offscreen, minimal) the program still
// runs: each message goes to the log and gets the answer of a box closed unread (Cancel
// or No where the box offers one, else OK), and file dialogs are cancelled. Nothing waits
// and nothing aborts.
//
// GUI thread only. Other threads hand their texts over (see CMessageBoxNotifier); asking
// from another thread is a fatal error.
class CDialogService {
public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    enum class FileMode { Open, Save };
    enum class OverwritePrompt { No, Yes };

    struct MessageRequest {
        QString text;
        QString caption;
        Buttons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        // The button Enter presses; NoButton leaves the choice to the box.
        Button defaultButton = QMessageBox::NoButton;
    };

    struct FileRequest {
        FileMode mode = FileMode::Open;
        QString defaultExtension;
        QString initialName;
        QString filter;  // as the caller gave it: "Xml Files (*.xml)|*.xml||"
        OverwritePrompt overwritePrompt = OverwritePrompt::No;
    };

    // A modal message box; the caption defaults to the application's name and the icon
    // follows the buttons (a question for Yes/No, a warning otherwise).
    static Button message(const QString& text, Buttons buttons = QMessageBox::Ok,
                          const QString& caption = QString());
    static Button message(const QString& text, Buttons buttons, QMessageBox::Icon icon,
                          const QString& caption = QString());

    // A question with Yes and No before something that disrupts a site: Enter answers
    // defaultButton.
    static Button question(const QString& text, Button defaultButton);

    // File dialogs. The filter comes in the form "Description|*.a;*.b|...||". The default
    // extension is added to a chosen name that has none (for opening, only when no file of
    // that bare name exists). An empty result means the user cancelled.
    static QString openFileName(const QString& defaultExtension, const QString& initialName,
                                const QString& filter);
    static QString saveFileName(const QString& defaultExtension, const QString& initialName,
                                const QString& filter,
                                OverwritePrompt overwritePrompt = OverwritePrompt::No);

    // The window the dialogs are modal to; the active window when none is set.
    static void setDialogParent(QWidget* parent);

    static QString toQtFilter(const QString& filter);
    static QMessageBox::Icon iconFor(Buttons buttons);
    static QString withDefaultExtension(const QString& path, const QString& extension,
                                        FileMode mode);

    // The test hook.
    static void enableTestHook();  // also forgets all answers and records
    static void disableTestHook();
    static bool isTestHookActive();
    // True where no person can see a dialog (see above).
    static bool isHeadless();
    static void setNextAnswer(Button answer);
    static void setNextFileName(const QString& path);  // an empty path cancels the dialog
    static int pendingAnswerCount();
    static QList<MessageRequest> askedMessages();
    static QStringList askedTexts();
    static QList<FileRequest> askedFileDialogs();

private:
    static Button ask(const MessageRequest& request);
    static Button answerMessage(const MessageRequest& request);
    static Button answerHeadless(const MessageRequest& request);
    static QString ask(const FileRequest& request);
    static QString answerFileDialog(const FileRequest& request);
    static Button showMessageBox(const MessageRequest& request);
    static QString showFileDialog(const FileRequest& request);
    static void requireGuiThread(const QString& question);
    static QWidget* dialogParent();
};
