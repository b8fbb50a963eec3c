#pragma once

#include "model/record.h"
#include "model/representable.h"

#include <QUuid>

namespace quillora {

// A captioned portfolio image of a résumé. Its bytes are read from the store only when asked for.
class PortfolioItem final : public Record, public PortfolioItemRepresentable {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioItem)

public:
    enum Property { Id, ImageData, Caption, SortOrder, Orientation };
    Q_ENUM(Property)

    PortfolioItem(const QUuid& id, const std::optional<QByteArray>& imageData, const QString& caption,
                  qint64 sortOrder, PortfolioImageOrientation orientation);

    static const EntityInfo& entityInfo();
    static const QList<PropertyMetadata>& schemaMetadata() { return entityInfo().properties; }

    QUuid id() const { return value(Id).toUuid(); }
    std::optional<QByteArray> imageData() const override;
    QString caption() const override { return text(Caption); }
    qint64 sortOrder() const override { return int64(SortOrder); }
    PortfolioImageOrientation orientation() const override;

    void setId(const QUuid& v) { setValue(Id, v); }
    void setImageData(const std::optional<QByteArray>& v);
    void setCaption(const QString& v) { setValue(Caption, v); }
    void setSortOrder(qint64 v) { setValue(SortOrder, v); }
    void setOrientation(PortfolioImageOrientation v) { setValue(Orientation, rawValue(v)); }

    // False while the bytes are still only in the store.
    bool isImageLoaded() const { return !m_imageInStore; }
    // Takes bytes that a worker read from the store for this record (StoredImageReader) as if
    // the record had read them itself: nothing changes and nothing is announced. Ignored once
    // the record holds its bytes.
    void adoptStoredImageData(const QByteArray& bytes);

signals:
    // The property a write changed (see Record::propertyChanged).
    void changed(quillora::PortfolioItem::Property property);

private:
    void emitTypedChange(int index) override { emit changed(Property(index)); }

    friend class StoreCodec;
    friend class ModelContext;
    struct FromStore {};
    explicit PortfolioItem(FromStore);

    mutable bool m_imageInStore = false;
};

using PortfolioItemPtr = std::shared_ptr<PortfolioItem>;

} // namespace quillora
