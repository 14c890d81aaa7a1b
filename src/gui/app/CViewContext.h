#pragma once

class CSettings;
class CTransport;
class CUbrixVorelDoc;

// What a view is given when the main frame builds it: the document, the transport (the
// sends, the adapter table, the ports and the mode) and the settings (the view options).
// All three outlive every view.
struct CViewContext {
    CUbrixVorelDoc& doc;
    CTransport& transport;
    CSettings& settings;
};
