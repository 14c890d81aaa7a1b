#pragma once

#include <QString>
#include <array>

// The device models a project is assembled from: one XML file per model beside the
// program, each holding one gateway or one bus device with the settings it should get.
// CUbrixVorelDoc::addTemplateModel() adds one to the project.
class CModelTemplates {
public:
    struct Model {
        const char* caption;
        const char* fileName;
        bool gateway;
    };

    static const std::array<Model, 10>& models();
    // The model at index of the list; null for an index outside it.
    static const Model* model(int index);
    static QString path(const Model& model, const QString& programFolder);
};
