#pragma once

#include "model/portfolio_image_orientation.h"
#include "model/resume.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace quillora {

class ModelContext;

// One row of the editor's working copy of a résumé's portfolio. Its position in the list is its
// order; it stands for the stored PortfolioItem with the same id.
struct LocalPickerPortfolioItem final {
    QUuid id;
    std::optional<QByteArray> imageData;
    QString caption;
    PortfolioImageOrientation orientation = PortfolioImageOrientation::portrait;

    // All four fields equal. Image bytes shared between two rows compare without reading them.
    friend bool operator==(const LocalPickerPortfolioItem& a, const LocalPickerPortfolioItem& b);
};

size_t qHash(const LocalPickerPortfolioItem& item, size_t seed = 0) noexcept;

using PortfolioRows = QList<LocalPickerPortfolioItem>;

// A row as a keyed object: "id", "imageData" (Base64, left out when there is none), "caption"
// and "orientation" (its raw value).
QJsonObject encodePortfolioRow(const LocalPickerPortfolioItem& row);
// The row of such an object; nothing when a key other than "imageData" is missing or a value is
// not of its kind.
std::optional<LocalPickerPortfolioItem> decodePortfolioRow(const QJsonObject& object);

// The standard text of an id as identifiers and drags carry it: 36 characters, upper case.
QString portfolioIdText(const QUuid& id);

// The résumé's portfolio as rows, in ascending sortOrder (equal orders keep the stored order).
PortfolioRows loadPortfolioPickerItems(const Resume& resume);

// Writes the rows into the résumé's records, matched by id (a new id gets a new record with
// sortOrder 0, inserted into the context), and makes them, in row order, the résumé's
// portfolio; records no row names leave the list without being deleted. Never writes sortOrder.
// Does not save.
void syncPortfolioItems(Resume& resume, ModelContext& context, const PortfolioRows& rows);

// Like syncPortfolioItems, but gives matched records their row's position as sortOrder, keeps
// the records no row names (at their old sortOrder) and orders the list by sortOrder. Logs the
// incoming and the persisted order. Does not save.
void persistPortfolioOrder(Resume& resume, ModelContext& context, const PortfolioRows& rows);

// The rows with the entry `dragged` moved to the place of `target` (the entries between shift
// by one). Nothing when the two are the same or either is not in the list.
std::optional<PortfolioRows> movedPortfolioRows(const PortfolioRows& rows, const QUuid& dragged,
                                                const QUuid& target);

} // namespace quillora
