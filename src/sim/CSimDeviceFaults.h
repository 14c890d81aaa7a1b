#pragma once

// How one gateway or bus device misbehaves, on its own, while the rest of the site is
// sound: it reports another type of its family, it answers nothing at all, it takes no
// set command (the value stays, and no echo comes), or its announcement is always lost
// (it answers everything else).
struct CSimDeviceFaults {
    bool otherType = false;
    bool silent = false;
    bool refusesSets = false;
    bool unannounced = false;

    bool isNone() const { return !otherType && !silent && !refusesSets && !unannounced; }
};
