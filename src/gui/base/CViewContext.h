#pragma once

class CChangeJournal;
class CSequencer;
class CSettings;
class CTransport;
class CUbrixVorelDoc;
struct CViewState;

// What a view is given when the main frame builds it: the document, the transport (the
// sends, the adapter table, the ports and the mode), the settings (the view options), the
// sequencer (paced runs and the timers of the program), the views' own state and the
// journal of changes. All of them outlive every view.
struct CViewContext {
    CUbrixVorelDoc& doc;
    CTransport& transport;
    CSettings& settings;
    CSequencer& sequencer;
    CViewState& state;
    // Where the program journals the changes it sends; null where nothing is journalled.
    CChangeJournal* journal = nullptr;
};
