#pragma once

// Where the program's window messages went. Each one is a typed signal or slot rather than
// a posted number: a thread that is not the GUI thread reaches the receiver through a
// queued connection (or a blocking queued one where the sender waits until the message has
// been handled), and a text handed over travels as a QByteArray copy, so nobody frees
// anything. Under the names the other parts use:
//
//   UMW_RX_QUEUED       0x8102  CTransport::rxQueued -> CMainFrame::OnRxQueued (drain the
//                               inbound queue into the document)
//   UMW_SEND_TEXT       0x8103  CMainFrame::OnSendText; the sender keeps its text, and with
//   UMW_SEND_TEXT_FREE  0x8300  a blocking queued connection waits until it is sent
//   UMW_VIEW_SEND       0x8302  MyEdit::sendRequested -> CUbrixVorelView::OnViewSend
//   UMW_CHILD_CLOSED    0x8304  CKeypadWindow::closing -> CMainFrame::OnChildClosed, with the
//                               window's number below
//   UMW_RX_BRACKET      0x8306  CTransport::rxBracket -> CMainFrame::OnRxBracket
//   UMW_RX_BANG         0x8310  CTransport::rxBang -> CMainFrame::OnRxBang
//   UMW_KEYPAD_STATUS   0x8312  IFrameChild::OnKeypadStatus, queued
//   UMW_COLLECT_PROGRESS 0x8104, UMW_COLLECT_DONE 0x8200: CSequenceRun::progress and
//                               finished of the sequencer's "collect" run
//   UMW_BUS_PROGRESS 0x8105, UMW_BUS_PROMPT 0x8106, UMW_BUS_DONE 0x8107, UMW_CFG_PROGRESS
//   0x8110, UMW_CFG_ERROR 0x8111, UMW_CFG_DONE 0x8112: CUploadRun::progress,
//                               deviceChanged and finished; the box of a gateway that did
//                               not answer and the discover prompt through IUploadLink
namespace vorel::umw {

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
