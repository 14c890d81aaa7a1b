#pragma once

#include <functional>

// The warning sound of the keypads (the system's exclamation sound): a key held for five
// seconds stores a preset, or a typed address is refused. Tests hear it through a hook.
class CBeep {
public:
    using Hook = std::function<void()>;

    static void warning();
    // Tests only: the hook is called instead of the sound; null gives the sound back.
    static void setTestHook(Hook hook);
};
