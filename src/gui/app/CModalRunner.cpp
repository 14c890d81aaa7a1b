#include "CModalRunner.h"

#include <QDialog>
#include <QGuiApplication>

namespace {

CModalRunner::Runner& testRunner() {
    static CModalRunner::Runner runner;
    return runner;
}

bool platformCannotShowDialogs() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

}  // namespace

int CModalRunner::exec(QDialog& dialog) {
    if (testRunner()) {
        return testRunner()(dialog);
    }
    if (platformCannotShowDialogs()) {
        qFatal("CModalRunner: nobody can answer the dialog \"%s\" on this platform",
               qPrintable(dialog.windowTitle()));
    }
    return dialog.exec();
}

void CModalRunner::setTestRunner(Runner runner) {
    testRunner() = std::move(runner);
}

void CModalRunner::clearTestRunner() {
    testRunner() = nullptr;
}
