#pragma once

// The program's window messages with the numbers they have always had. In this program
// each one is a typed signal or slot rather than a posted number: a thread that is not the
// GUI thread reaches the receiver through a queued connection (or a blocking queued one
// where the sender waits until the message has been handled), and a text handed over
// travels as a QByteArray copy, so nobody frees anything. The numbers stay here so that
// every message can be found under the name and number the other parts use for it.
namespace vorel::umw {

enum Message : int {
    // Receive thread -> main frame (CTransport::rxQueued -> CMainFrame::OnRxQueued):
    // drain the inbound queue into the document.
    UMW_RX_QUEUED = 0x8102,
    // Worker -> main frame (CMainFrame::OnSendText): send a text to an address. The sender
    // keeps its text; with a blocking queued connection it waits until the text is sent.
    UMW_SEND_TEXT = 0x8103,
    // Worker, keypad or sun dialog -> main frame (CMainFrame::OnSendText as well): the
    // same, with the text handed over.
    UMW_SEND_TEXT_FREE = 0x8300,
    // Traffic view (MyEdit::sendRequested, queued -> CUbrixVorelView::OnViewSend).
    UMW_VIEW_SEND = 0x8302,
    // Modeless child window -> main frame (CMainFrame::OnChildClosed), with the window's
    // number below.
    UMW_CHILD_CLOSED = 0x8304,
    // Receive thread -> main frame (CTransport::rxBracket -> CMainFrame::OnRxBracket).
    UMW_RX_BRACKET = 0x8306,
    // Receive thread -> main frame (CTransport::rxBang -> CMainFrame::OnRxBang).
    UMW_RX_BANG = 0x8310,
    // Bus collection -> bus view (CSequenceRun::progress and CSequenceRun::finished of the
    // sequencer's "collect" run, which the bus view shows while it is there).
    UMW_COLLECT_PROGRESS = 0x8104,
    UMW_COLLECT_DONE = 0x8200,
    // Main frame -> LED and motor keypads (IFrameChild::OnKeypadStatus, queued).
    UMW_KEYPAD_STATUS = 0x8312,
    // The uploads run on the GUI thread (CUploadRun) and report to their dialog
    // (CUploadDialog) by signals: progress (CUploadRun::progress, deviceChanged), the end
    // (CUploadRun::finished); the box of a gateway that did not answer and the discover
    // prompt are asked through the run's IUploadLink, which waits for the answer.
    UMW_BUS_PROGRESS = 0x8105,
    UMW_BUS_PROMPT = 0x8106,
    UMW_BUS_DONE = 0x8107,
    UMW_CFG_PROGRESS = 0x8110,
    UMW_CFG_ERROR = 0x8111,
    UMW_CFG_DONE = 0x8112,
};

// The modeless child windows of the main frame. The first four are the numbers a window
// gives with UMW_CHILD_CLOSED; the sun dialog never sends it (the frame closes it itself).
enum ChildWindow : int {
    kLedKeypad = 1,
    kTraceWindow = 2,
    kBasicKeypad = 3,
    kMotorKeypad = 4,
    kSunDialog = 5,
};

}  // namespace vorel::umw
