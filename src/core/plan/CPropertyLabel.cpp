#include "core/plan/CPropertyLabel.h"

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString CPropertyLabel::make(std::string_view name, std::string_view firstAttribute,
                             bool hasAttribute) {
    if (!hasAttribute) {
        return fromUtf8(name);
    }
    return QStringLiteral("%1 (%2)").arg(fromUtf8(name), fromUtf8(firstAttribute));
}

CPropertyLabel::Parts CPropertyLabel::split(const QString& label) {
    // An element's name holds no blank and no "(", so the first " (" ends it.
    const qsizetype open = label.indexOf(QLatin1String(" ("));
    if (open <= 0 || !label.endsWith(QLatin1Char(')'))) {
        return {label, QString(), false};
    }
    const qsizetype start = open + 2;
    return {label.left(open), label.mid(start, label.size() - 1 - start), true};
}
