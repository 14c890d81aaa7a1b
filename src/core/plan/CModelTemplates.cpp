#include "core/plan/CModelTemplates.h"

#include <QDir>

const std::array<CModelTemplates::Model, 10>& CModelTemplates::models() {
    static const std::array<Model, 10> kModels{{
        {"Ubrix A", "template_ubrixa.xml", true},
        {"Ubrix B", "template_ubrixb.xml", true},
        {"Ubrix C", "template_ubrixc.xml", true},
        {"Lumet AC", "template_lumetaC.xml", false},
        {"Lumet AM", "template_lumetaM.xml", false},
        {"Lumet BC", "template_lumetbC.xml", false},
        {"Lumet BM", "template_lumetbM.xml", false},
        {"Motra AC", "template_motraaC.xml", false},
        {"Tavo A", "template_tavoa.xml", false},
        {"Tavo B", "template_tavob.xml", false},
    }};
    return kModels;
}

const CModelTemplates::Model* CModelTemplates::model(int index) {
    if (index < 0 || index >= static_cast<int>(models().size())) {
        return nullptr;
    }
    return &models()[static_cast<size_t>(index)];
}

QString CModelTemplates::path(const Model& model, const QString& programFolder) {
    return QDir(programFolder).filePath(QLatin1String(model.fileName));
}
