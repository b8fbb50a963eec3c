#include "editor/portfolio_rows.h"

#include "editor/resume_save.h"
#include "model/representable.h"
#include "platform/log.h"
#include "store/model_context.h"

#include <QHash>
#include <QHashFunctions>

namespace quillora {

namespace {

bool sameBytes(const std::optional<QByteArray>& a, const std::optional<QByteArray>& b) {
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    // Rows copied from one another share their bytes: no need to compare megabytes.
    if (a->size() == b->size() && a->constData() == b->constData())
        return true;
    return *a == *b;
}

// The record's bytes are written only when they differ, so a caption keystroke never compares
// or rewrites the images.
void writeRow(PortfolioItem& record, const LocalPickerPortfolioItem& row) {
    if (!record.isImageLoaded() || !sameBytes(record.imageData(), row.imageData))
        record.setImageData(row.imageData);
    record.setCaption(row.caption);
    record.setOrientation(row.orientation);
}

// The résumé's records by id; of two records with one id the later one wins.
QHash<QUuid, PortfolioItemPtr> recordsById(const Resume& resume) {
    QHash<QUuid, PortfolioItemPtr> map;
    for (const PortfolioItemPtr& item : resume.portfolioItems())
        map.insert(item->id(), item);
    return map;
}

PortfolioItemPtr recordForRow(QHash<QUuid, PortfolioItemPtr>& map, ModelContext& context,
                              const LocalPickerPortfolioItem& row) {
    if (PortfolioItemPtr found = map.value(row.id))
        return found;
    auto created = std::make_shared<PortfolioItem>(row.id, row.imageData, row.caption, 0, row.orientation);
    context.insert(created);
    map.insert(row.id, created);
    return created;
}

} // namespace

bool operator==(const LocalPickerPortfolioItem& a, const LocalPickerPortfolioItem& b) {
    return a.id == b.id && a.caption == b.caption && a.orientation == b.orientation &&
           sameBytes(a.imageData, b.imageData);
}

size_t qHash(const LocalPickerPortfolioItem& item, size_t seed) noexcept {
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.id);
    seed = combine(seed, item.imageData ? 1 : 0);
    if (item.imageData)
        seed = combine(seed, *item.imageData);
    seed = combine(seed, item.caption);
    seed = combine(seed, rawValue(item.orientation));
    return seed;
}

QJsonObject encodePortfolioRow(const LocalPickerPortfolioItem& row) {
    QJsonObject object{{QStringLiteral("id"), portfolioIdText(row.id)},
                       {QStringLiteral("caption"), row.caption},
                       {QStringLiteral("orientation"), rawValue(row.orientation)}};
    if (row.imageData)
        object.insert(QStringLiteral("imageData"), QString::fromLatin1(row.imageData->toBase64()));
    return object;
}

std::optional<LocalPickerPortfolioItem> decodePortfolioRow(const QJsonObject& object) {
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue caption = object.value(QStringLiteral("caption"));
    const QJsonValue orientation = object.value(QStringLiteral("orientation"));
    if (!id.isString() || !caption.isString() || !orientation.isString())
        return std::nullopt;
    const QUuid uuid(id.toString());
    const auto parsedOrientation = portfolioImageOrientationFromRawValue(orientation.toString());
    if (uuid.isNull() || !parsedOrientation)
        return std::nullopt;
    LocalPickerPortfolioItem row{uuid, std::nullopt, caption.toString(), *parsedOrientation};
    if (object.contains(QStringLiteral("imageData"))) {
        const QJsonValue data = object.value(QStringLiteral("imageData"));
        if (!data.isString())
            return std::nullopt;
        auto bytes = QByteArray::fromBase64Encoding(data.toString().toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
        if (!bytes)
            return std::nullopt;
        row.imageData = *bytes;
    }
    return row;
}

QString portfolioIdText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

PortfolioRows loadPortfolioPickerItems(const Resume& resume) {
    PortfolioRows rows;
    for (const PortfolioItemPtr& item : sortedBySortOrder(resume.portfolioItems()))
        rows.append({item->id(), item->imageData(), item->caption(), item->orientation()});
    return rows;
}

void syncPortfolioItems(Resume& resume, ModelContext& context, const PortfolioRows& rows) {
    QHash<QUuid, PortfolioItemPtr> map = recordsById(resume);
    QList<PortfolioItemPtr> result;
    result.reserve(rows.size());
    for (const LocalPickerPortfolioItem& row : rows) {
        const bool existing = map.contains(row.id);
        PortfolioItemPtr record = recordForRow(map, context, row);
        if (existing)
            writeRow(*record, row);
        result.append(record);
    }
    resume.setPortfolioItems(result);
}

void persistPortfolioOrder(Resume& resume, ModelContext& context, const PortfolioRows& rows) {
    QStringList incoming;
    for (const LocalPickerPortfolioItem& row : rows)
        incoming << row.caption;
    logLine(QStringLiteral("[Portfolio DEBUG] incoming order: ") + quotedListForLog(incoming));

    QHash<QUuid, PortfolioItemPtr> map = recordsById(resume);
    // Every record in the relationship's order, then the new ones, so that equal sortOrders
    // keep a stable order.
    QList<PortfolioItemPtr> all;
    for (const PortfolioItemPtr& item : resume.portfolioItems()) {
        if (map.value(item->id()) == item)
            all.append(item);
    }
    for (int i = 0; i < rows.size(); ++i) {
        const LocalPickerPortfolioItem& row = rows.at(i);
        if (PortfolioItemPtr record = map.value(row.id)) {
            writeRow(*record, row);
            record->setSortOrder(i);
        } else {
            all.append(recordForRow(map, context, row));
        }
    }
    resume.setPortfolioItems(sortedBySortOrder(all));

    QStringList persisted;
    for (const PortfolioItemPtr& item : resume.portfolioItems())
        persisted << item->caption() + QStringLiteral(" (") + rawValue(item->orientation()) +
                         QLatin1Char(')');
    logLine(QStringLiteral("[Portfolio DEBUG] persisted order: ") + quotedListForLog(persisted));
}

std::optional<PortfolioRows> movedPortfolioRows(const PortfolioRows& rows, const QUuid& dragged,
                                                const QUuid& target) {
    if (dragged == target)
        return std::nullopt;
    const auto position = [&rows](const QUuid& id) {
        for (int i = 0; i < rows.size(); ++i) {
            if (rows.at(i).id == id)
                return i;
        }
        return -1;
    };
    const int from = position(dragged);
    const int to = position(target);
    if (from < 0 || to < 0)
        return std::nullopt;
    // The dragged entry takes the target's place; the entries between shift by one.
    PortfolioRows moved;
    moved.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        if (i == from)
            continue;
        if (i == to && to < from)
            moved.append(rows.at(from));
        moved.append(rows.at(i));
        if (i == to && to > from)
            moved.append(rows.at(from));
    }
    return moved;
}

} // namespace quillora
