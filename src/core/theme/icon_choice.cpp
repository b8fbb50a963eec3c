#include "theme/icon_choice.h"

namespace quillora {

const QList<IconChoice>& allIconChoices() {
    static const QList<IconChoice> choices = {IconChoice::alder, IconChoice::birch, IconChoice::cedar,
                                              IconChoice::maple, IconChoice::rowan, IconChoice::willow};
    return choices;
}

QString rawValue(IconChoice choice) {
    switch (choice) {
    case IconChoice::alder:
        return QStringLiteral("alder");
    case IconChoice::birch:
        return QStringLiteral("birch");
    case IconChoice::cedar:
        return QStringLiteral("cedar");
    case IconChoice::maple:
        return QStringLiteral("maple");
    case IconChoice::rowan:
        return QStringLiteral("rowan");
    case IconChoice::willow:
        return QStringLiteral("willow");
    }
    return {};
}

std::optional<IconChoice> iconChoiceFromRawValue(const QString& raw) {
    for (IconChoice choice : allIconChoices()) {
        if (rawValue(choice) == raw)
            return choice;
    }
    return std::nullopt;
}

} // namespace quillora
