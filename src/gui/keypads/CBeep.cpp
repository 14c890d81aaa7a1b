#include "gui/keypads/CBeep.h"

#include <QApplication>

namespace {

CBeep::Hook& hook() {
    static CBeep::Hook instance;
    return instance;
}

}  // namespace

void CBeep::warning() {
    if (hook()) {
        hook()();
        return;
    }
    QApplication::beep();
}

void CBeep::setTestHook(Hook testHook) {
    hook() = std::move(testHook);
}
