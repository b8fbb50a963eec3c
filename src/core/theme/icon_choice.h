#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillora {

// The alternative icon designs of the app, stored by their raw value (the case name). The raw
// value is also the choice's identity in lists.
enum class IconChoice { alder, birch, cedar, maple, rowan, willow };

const QList<IconChoice>& allIconChoices();
QString rawValue(IconChoice choice);
// Exact, case-sensitive and untrimmed; anything else gives no choice.
std::optional<IconChoice> iconChoiceFromRawValue(const QString& raw);

} // namespace quillora
