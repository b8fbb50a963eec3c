#pragma once

#include "model/education.h"
#include "model/experience.h"
#include "model/representable.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <utility>

namespace quillora {

// The editor shows entries in the order of sortedBySortOrder (model/representable.h): a stable
// ascending sort, since new entries all start at sortOrder 0 and an unstable sort would move
// the wrong one.

// The position of the first entry with the record's identity, or -1.
template <typename Ptr> int indexOfEntry(const QList<Ptr>& entries, const Record& record) {
    const PersistentIdentifier id = record.persistentModelID();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i)->persistentModelID() == id)
            return int(i);
    }
    return -1;
}

// The entries in display order with the one at `from` taken out and put back at `to` (a
// position of the shortened list), every sortOrder renumbered 0, 1, 2, … to match. Nothing
// when either position is outside the list: a stale position must not move another entry.
template <typename Ptr> std::optional<QList<Ptr>> movedEntries(const QList<Ptr>& entries, int from, int to) {
    QList<Ptr> sorted = sortedBySortOrder(entries);
    const int count = int(sorted.size());
    if (from < 0 || from >= count || to < 0 || to > count - 1)
        return std::nullopt;
    Ptr moving = sorted.takeAt(from);
    sorted.insert(to, moving);
    for (int i = 0; i < sorted.size(); ++i)
        sorted.at(i)->setSortOrder(i);
    return sorted;
}

// The move a drag over a row asks for: the positions of the dragged entry and of the row's
// entry in the list as shown. Nothing when nothing is dragged, the row is the dragged entry's
// own, either entry is not in the list, or both positions are the same.
template <typename Ptr>
std::optional<std::pair<int, int>> dropMovePositions(const QList<Ptr>& shown, const Ptr& dragged,
                                                     const Ptr& target) {
    if (!dragged || !target)
        return std::nullopt;
    if (dragged->persistentModelID() == target->persistentModelID())
        return std::nullopt;
    const int from = indexOfEntry(shown, *dragged);
    if (from < 0)
        return std::nullopt;
    const int to = indexOfEntry(shown, *target);
    if (to < 0 || from == to)
        return std::nullopt;
    return std::make_pair(from, to);
}

// The list without the first entry that has the record's identity; nothing when none has it.
template <typename Ptr> std::optional<QList<Ptr>> withoutEntry(QList<Ptr> entries, const Record& record) {
    const int index = indexOfEntry(entries, record);
    if (index < 0)
        return std::nullopt;
    entries.removeAt(index);
    return entries;
}

} // namespace quillora
