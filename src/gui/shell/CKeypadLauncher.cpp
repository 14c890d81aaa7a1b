#include "gui/shell/CKeypadLauncher.h"

#include "core/document/CUbrixVorelDoc.h"
#include "gui/base/CViewState.h"
#include "gui/base/WindowMessages.h"
#include "gui/keypads/CSun.h"
#include "gui/keypads/Cvpad.h"
#include "gui/keypads/Cvpad_basic.h"
#include "gui/keypads/Cvpad_motor.h"
#include "gui/shell/CMainFrame.h"

namespace {

// Posted, as the window messages are: a key never waits for the network.
QWidget* connected(CMainFrame& frame, CKeypadWindow* window) {
    QObject::connect(window, &CKeypadWindow::sendRequested, &frame, &CMainFrame::OnSendText,
                     Qt::QueuedConnection);
    QObject::connect(window, &CKeypadWindow::childClosed, &frame, &CMainFrame::OnChildClosed,
                     Qt::QueuedConnection);
    return window;
}

}  // namespace

void CKeypadLauncher::registerWith(CMainFrame& frame) {
    using namespace vorel::umw;
    frame.setChildFactory(kLedKeypad, [](CMainFrame& owner) {
        const CViewContext& context = owner.context();
        return connected(owner,
                         new Cvpad(context.doc, context.transport, context.state.keypads, &owner));
    });
    frame.setChildFactory(
        kBasicKeypad, [](CMainFrame& owner) { return connected(owner, new Cvpad_basic(&owner)); });
    frame.setChildFactory(kMotorKeypad, [](CMainFrame& owner) {
        const CViewContext& context = owner.context();
        // The LED keypad opened later starts here too.
        context.state.keypads.setStart(CKeypadAddressBlock::kKeypadEntry, {1, 1, 1});
        return connected(
            owner, new Cvpad_motor(context.doc, context.transport, context.state.keypads, &owner));
    });
    frame.setChildFactory(kSunDialog, [](CMainFrame& owner) {
        auto* sun = new CSun(&owner);
        // Closed by its close box, it frees its slot as it goes; the toggle's check mark
        // follows.
        QObject::connect(
            sun, &QObject::destroyed, &owner, [&owner] { owner.updateCommandUi(); },
            Qt::QueuedConnection);
        return connected(owner, sun);
    });
}
