#include "sim/CSimSettingRules.h"

#include "core/plan/CValidationSchema.h"

namespace {

std::string_view view(const QByteArray& text) {
    return std::string_view(text.constData(), static_cast<size_t>(text.size()));
}

bool schemaAllows(const CValidationSchema& schema, QByteArrayView type, const CSettingAddress& path,
                  const QByteArray& value) {
    const std::string typeText = type.toByteArray().toStdString();
    if (!schema.device(typeText)) {
        return true;
    }
    return CValidationSchema::allows(schema.setting(typeText, path), view(value));
}

}  // namespace

const CSimSetting* CSimSettingRules::store(CSimSettings& settings, const CValidationSchema& schema,
                                           QByteArrayView type, const CSettingAddress& path,
                                           const QByteArray& value) {
    if (value.size() > kMaxValueLength) {
        return nullptr;
    }
    const bool known = settings.find(path) != nullptr;
    const bool newIndex = !path.index.isEmpty() && settings.isIndexedAnywhere(path.group, path.key);
    if (!known && !newIndex) {
        return nullptr;
    }
    if (!schemaAllows(schema, type, path, value)) {
        return nullptr;
    }
    settings.set(path, value);
    return settings.find(path);
}
