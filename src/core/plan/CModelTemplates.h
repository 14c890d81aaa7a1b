#pragma once

#include <QString>
#include <array>

class CUbrixVorelDoc;
class IUserNotifier;

// The device models a project is assembled from: one XML file per model beside the
// program, each holding one gateway or one bus device with the settings it should get.
class CModelTemplates {
public:
    struct Model {
        const char* caption;
        const char* fileName;
        bool gateway;
    };

    static const std::array<Model, 10>& models();

    // Adds a copy of model index to the document's project: a gateway gets the first free
    // placeholder address 0.0.0.n, a bus device the lowest free UID. The first model added
    // to a program without a project is opened as the project itself. Returns false when
    // the add failed and the choice should stay open; the user has been told why.
    static bool add(CUbrixVorelDoc& doc, int index, const QString& programFolder,
                    IUserNotifier& notifier);
};
