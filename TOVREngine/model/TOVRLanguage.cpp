#include "model/TOVRLanguage.h"

#include "model/SetupFixKind.h"

namespace tovr {

QString toRaw(TOVRLanguage language) {
    switch (language) {
    case TOVRLanguage::python:
        return QStringLiteral("python");
    case TOVRLanguage::node:
        return QStringLiteral("node");
    case TOVRLanguage::java:
        return QStringLiteral("java");
    case TOVRLanguage::ruby:
        return QStringLiteral("ruby");
    case TOVRLanguage::rust:
        return QStringLiteral("rust");
    }
    return {};
}

template <> std::optional<TOVRLanguage> fromRaw<TOVRLanguage>(QStringView raw) {
    return detail::matchRaw<TOVRLanguage>(raw, allTOVRLanguages);
}

QString displayName(TOVRLanguage language) {
    switch (language) {
    case TOVRLanguage::python:
        return QStringLiteral("Python");
    case TOVRLanguage::node:
        return QStringLiteral("JavaScript (Node)");
    case TOVRLanguage::java:
        return QStringLiteral("Java");
    case TOVRLanguage::ruby:
        return QStringLiteral("Ruby");
    case TOVRLanguage::rust:
        return QStringLiteral("Rust");
    }
    return {};
}

QList<SetupRemediation> remediations(const QSet<TOVRLanguage>& chosen) {
    QList<SetupRemediation> fixes;
    if (chosen.isEmpty())
        return fixes;
    const bool needsMise = chosen.contains(TOVRLanguage::node) ||
                           chosen.contains(TOVRLanguage::ruby) || chosen.size() > 1;
    const auto add = [&](TOVRLanguage language) {
        if (chosen.contains(language))
            fixes << SetupRemediation::ofKind(SetupFixKind::installing(language, needsMise));
    };
    add(TOVRLanguage::python);
    if (needsMise)
        fixes << SetupRemediation::installMise();
    for (TOVRLanguage language :
         {TOVRLanguage::node, TOVRLanguage::ruby, TOVRLanguage::java, TOVRLanguage::rust})
        add(language);
    return fixes;
}

} // namespace tovr
