#include "gui/base/CDialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPointer>
#include <QThread>
#include <variant>

namespace {

// A queued answer is either a message box button or a file dialog's path.
using QueuedAnswer = std::variant<CDialogService::Button, QString>;

struct HookState {
    bool enabled = false;
    QList<QueuedAnswer> answers;
    QList<CDialogService::MessageRequest> messages;
    QList<CDialogService::FileRequest> fileDialogs;
};

HookState& hook() {
    static HookState state;
    return state;
}

QPointer<QWidget>& configuredParent() {
    static QPointer<QWidget> parent;
    return parent;
}

[[noreturn]] void failLoudly(const QString& why) {
    qFatal("CDialogService: %s", qPrintable(why));
}

QString describe(const CDialogService::MessageRequest& request) {
    return QStringLiteral("message box \"%1\"").arg(request.text);
}

QString describe(const CDialogService::FileRequest& request) {
    const bool open = request.mode == CDialogService::FileMode::Open;
    return QStringLiteral("%1 dialog (extension \"%2\", name \"%3\", filter \"%4\")")
        .arg(open ? QStringLiteral("open-file") : QStringLiteral("save-file"),
             request.defaultExtension, request.initialName, request.filter);
}

// One Windows pattern list ("*.txt;*.log") in Qt's form ("*.txt *.log"). "*.*" means every
// file there, but only names with a dot to Qt.
QString qtPatterns(const QString& windowsPatterns) {
    QStringList patterns;
    for (const QString& part : windowsPatterns.split(QLatin1Char(';'))) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty()) {
            continue;
        }
        patterns.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return patterns.join(QLatin1Char(' '));
}

// Qt takes the patterns from the description's last parenthesised group. When the
// description already shows the same patterns, that group is kept (in Qt's spelling);
// otherwise the real patterns are appended so that the shown text cannot mislead Qt.
QString qtFilterEntry(const QString& description, const QString& patterns) {
    if (description.isEmpty()) {
        return patterns;
    }
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && description.endsWith(QLatin1Char(')'))) {
        QString shown = description.mid(open + 1, description.size() - open - 2);
        shown.replace(QLatin1Char(','), QLatin1Char(';'))
            .replace(QLatin1Char(' '), QLatin1Char(';'));
        if (qtPatterns(shown) == patterns) {
            return description.left(open) + QLatin1Char('(') + patterns + QLatin1Char(')');
        }
    }
    return description + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

}  // namespace

CDialogService::Button CDialogService::message(const QString& text, Buttons buttons,
                                               const QString& caption) {
    return message(text, buttons, iconFor(buttons), caption);
}

CDialogService::Button CDialogService::message(const QString& text, Buttons buttons,
                                               QMessageBox::Icon icon, const QString& caption) {
    MessageRequest request;
    request.text = text;
    request.caption = caption.isNull() ? QGuiApplication::applicationDisplayName() : caption;
    request.buttons = buttons;
    request.icon = icon;
    return ask(request);
}

CDialogService::Button CDialogService::question(const QString& text, Button defaultButton) {
    MessageRequest request;
    request.text = text;
    request.caption = QGuiApplication::applicationDisplayName();
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.icon = QMessageBox::Question;
    request.defaultButton = defaultButton;
    return ask(request);
}

CDialogService::Button CDialogService::ask(const MessageRequest& request) {
    requireGuiThread(describe(request));
    if (isTestHookActive()) {
        return answerMessage(request);
    }
    if (isHeadless()) {
        return answerHeadless(request);
    }
    return showMessageBox(request);
}

QString CDialogService::openFileName(const QString& defaultExtension, const QString& initialName,
                                     const QString& filter) {
    FileRequest request;
    request.mode = FileMode::Open;
    request.defaultExtension = defaultExtension;
    request.initialName = initialName;
    request.filter = filter;
    requireGuiThread(describe(request));
    const QString chosen = ask(request);
    return withDefaultExtension(chosen, defaultExtension, FileMode::Open);
}

QString CDialogService::saveFileName(const QString& defaultExtension, const QString& initialName,
                                     const QString& filter, OverwritePrompt overwritePrompt) {
    FileRequest request;
    request.mode = FileMode::Save;
    request.defaultExtension = defaultExtension;
    request.initialName = initialName;
    request.filter = filter;
    request.overwritePrompt = overwritePrompt;
    requireGuiThread(describe(request));
    const QString chosen = ask(request);
    return withDefaultExtension(chosen, defaultExtension, FileMode::Save);
}

void CDialogService::setDialogParent(QWidget* parent) {
    configuredParent() = parent;
}

QString CDialogService::toQtFilter(const QString& filter) {
    const QStringList fields = filter.split(QLatin1Char('|'));
    QStringList entries;
    // Description and patterns come in pairs; an unpaired last field and the empty pair of
    // the closing "||" describe nothing.
    for (qsizetype index = 0; index + 1 < fields.size(); index += 2) {
        const QString patterns = qtPatterns(fields.at(index + 1));
        if (patterns.isEmpty()) {
            continue;
        }
        entries.append(qtFilterEntry(fields.at(index).trimmed(), patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

QMessageBox::Icon CDialogService::iconFor(Buttons buttons) {
    return buttons.testAnyFlags(QMessageBox::Yes | QMessageBox::No) ? QMessageBox::Question
                                                                    : QMessageBox::Warning;
}

QString CDialogService::withDefaultExtension(const QString& path, const QString& extension,
                                             FileMode mode) {
    if (path.isEmpty() || extension.isEmpty()) {
        return path;
    }
    const QFileInfo info(path);
    // A name ending in a dot asks for no extension at all.
    if (!info.suffix().isEmpty() || info.fileName().endsWith(QLatin1Char('.'))) {
        return path;
    }
    if (mode == FileMode::Open && info.isFile()) {
        return path;
    }
    return path + QLatin1Char('.') + extension;
}

void CDialogService::enableTestHook() {
    hook() = HookState{};
    hook().enabled = true;
}

void CDialogService::disableTestHook() {
    hook() = HookState{};
}

bool CDialogService::isTestHookActive() {
    return hook().enabled;
}

bool CDialogService::isHeadless() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

QString CDialogService::ask(const FileRequest& request) {
    if (isTestHookActive()) {
        return answerFileDialog(request);
    }
    if (isHeadless()) {
        qWarning("%s: nobody can choose a file here; cancelled", qPrintable(describe(request)));
        return QString();
    }
    return showFileDialog(request);
}

CDialogService::Button CDialogService::answerHeadless(const MessageRequest& request) {
    // The answer of a box closed unread: the way out a box offers, else its only button.
    Button answer = QMessageBox::Ok;
    for (const Button way : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort,
                             QMessageBox::Close, QMessageBox::Ok}) {
        if (request.buttons.testFlag(way)) {
            answer = way;
            break;
        }
    }
    qWarning("%s", qPrintable(request.text));
    return answer;
}

void CDialogService::setNextAnswer(Button answer) {
    hook().enabled = true;
    hook().answers.append(answer);
}

void CDialogService::setNextFileName(const QString& path) {
    hook().enabled = true;
    hook().answers.append(path);
}

int CDialogService::pendingAnswerCount() {
    return static_cast<int>(hook().answers.size());
}

QList<CDialogService::MessageRequest> CDialogService::askedMessages() {
    return hook().messages;
}

QStringList CDialogService::askedTexts() {
    QStringList texts;
    for (const MessageRequest& request : hook().messages) {
        texts.append(request.text);
    }
    return texts;
}

QList<CDialogService::FileRequest> CDialogService::askedFileDialogs() {
    return hook().fileDialogs;
}

CDialogService::Button CDialogService::answerMessage(const MessageRequest& request) {
    hook().messages.append(request);
    if (hook().answers.isEmpty()) {
        failLoudly(QStringLiteral("no answer queued for the %1").arg(describe(request)));
    }
    const QueuedAnswer answer = hook().answers.takeFirst();
    const Button* button = std::get_if<Button>(&answer);
    if (button == nullptr) {
        failLoudly(QStringLiteral("a file name was queued, but the code asked the %1")
                       .arg(describe(request)));
    }
    if (!request.buttons.testFlag(*button)) {
        const char* name = QMetaEnum::fromType<Buttons>().valueToKey(*button);
        failLoudly(QStringLiteral("the queued answer %1 is not a button of the %2")
                       .arg(QString::fromLatin1(name != nullptr ? name : "?"), describe(request)));
    }
    return *button;
}

QString CDialogService::answerFileDialog(const FileRequest& request) {
    hook().fileDialogs.append(request);
    if (hook().answers.isEmpty()) {
        failLoudly(QStringLiteral("no answer queued for the %1").arg(describe(request)));
    }
    const QueuedAnswer answer = hook().answers.takeFirst();
    const QString* path = std::get_if<QString>(&answer);
    if (path == nullptr) {
        failLoudly(QStringLiteral("a message box answer was queued, but the code asked the %1")
                       .arg(describe(request)));
    }
    return *path;
}

CDialogService::Button CDialogService::showMessageBox(const MessageRequest& request) {
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, dialogParent());
    if (request.defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(request.defaultButton);
    }
    return static_cast<Button>(box.exec());
}

QString CDialogService::showFileDialog(const FileRequest& request) {
    QFileDialog dialog(dialogParent());
    const bool save = request.mode == FileMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(toQtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     request.overwritePrompt == OverwritePrompt::No);
    if (!request.initialName.isEmpty()) {
        dialog.selectFile(request.initialName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

void CDialogService::requireGuiThread(const QString& question) {
    const QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        failLoudly(QStringLiteral("the %1 was asked before the application exists").arg(question));
    }
    if (QThread::currentThread() != application->thread()) {
        failLoudly(QStringLiteral("the %1 was asked outside the GUI thread").arg(question));
    }
}

QWidget* CDialogService::dialogParent() {
    QWidget* parent = configuredParent();
    return parent != nullptr ? parent : QApplication::activeWindow();
}
