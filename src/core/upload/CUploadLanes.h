#pragma once

#include <QByteArray>
#include <cstddef>
#include <vector>

// How an upload's devices are worked through: lanes that go on at the same time, each
// with its devices in order, and the devices that come after all of them (in one lane of
// their own, once every other lane is done). Devices are indices into the upload's list.
struct CUploadLanes {
    struct Lane {
        QByteArray name;  // what the progress calls it: the bus's gateway, or nothing
        std::vector<size_t> devices;
    };

    std::vector<Lane> lanes;
    std::vector<size_t> afterwards;

    // Every device in one lane, in the list's order: one device after another.
    static CUploadLanes oneAfterAnother(size_t deviceCount) {
        CUploadLanes plan;
        plan.lanes.push_back({});
        for (size_t device = 0; device < deviceCount; ++device) {
            plan.lanes.front().devices.push_back(device);
        }
        return plan;
    }
};
