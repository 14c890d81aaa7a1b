#include "gui/base/CModalRunner.h"

#include "gui/base/CDialogService.h"

#include <QDialog>

namespace {

CModalRunner::Runner& testRunner() {
    static CModalRunner::Runner runner;
    return runner;
}

}  // namespace

int CModalRunner::exec(QDialog& dialog) {
    if (testRunner()) {
        return testRunner()(dialog);
    }
    if (CDialogService::isHeadless()) {
        qWarning("The dialog \"%s\" cannot be shown here; cancelled",
                 qPrintable(dialog.windowTitle()));
        return QDialog::Rejected;
    }
    return dialog.exec();
}

void CModalRunner::setTestRunner(Runner runner) {
    testRunner() = std::move(runner);
}

void CModalRunner::clearTestRunner() {
    testRunner() = nullptr;
}
