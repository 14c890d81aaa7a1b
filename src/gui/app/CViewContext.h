#pragma once

class CSequencer;
class CSettings;
class CTransport;
class CUbrixVorelDoc;

// What a view is given when the main frame builds it: the document, the transport (the
// sends, the adapter table, the ports and the mode), the settings (the view options) and
// the sequencer (paced runs and the timers of the program). All of them outlive every view.
struct CViewContext {
    CUbrixVorelDoc& doc;
    CTransport& transport;
    CSettings& settings;
    CSequencer& sequencer;
};
