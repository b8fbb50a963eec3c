#pragma once

#include "model/record.h"
#include "model/representable.h"

namespace quillora {

// An education entry of a résumé.
class Education : public Record, public EducationRepresentable {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Education)

public:
    enum Property { School, Degree, Year, SortOrder };
    Q_ENUM(Property)

    Education(const QString& school, const QString& degree, const QString& year, qint64 sortOrder);

    static const EntityInfo& entityInfo();
    static const QList<PropertyMetadata>& schemaMetadata() { return entityInfo().properties; }

    QString school() const override { return text(School); }
    QString degree() const override { return text(Degree); }
    QString year() const override { return text(Year); }
    qint64 sortOrder() const override { return int64(SortOrder); }

    void setSchool(const QString& v) { setValue(School, v); }
    void setDegree(const QString& v) { setValue(Degree, v); }
    void setYear(const QString& v) { setValue(Year, v); }
    void setSortOrder(qint64 v) { setValue(SortOrder, v); }

signals:
    // The property a write changed (see Record::propertyChanged).
    void changed(quillora::Education::Property property);

private:
    void emitTypedChange(int index) override { emit changed(Property(index)); }

    friend class StoreCodec;
    friend class ModelContext;
    struct FromStore {};
    explicit Education(FromStore);
};

using EducationPtr = std::shared_ptr<Education>;

} // namespace quillora
