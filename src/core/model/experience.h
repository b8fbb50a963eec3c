#pragma once

#include "model/record.h"
#include "model/representable.h"

namespace quillora {

// A work-experience entry of a résumé. The dates are free text.
class Experience : public Record, public ExperienceRepresentable {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Experience)

public:
    enum Property { Role, Company, StartDate, EndDate, Details, SortOrder };
    Q_ENUM(Property)

    Experience(const QString& role, const QString& company, const QString& startDate, const QString& endDate,
               const QString& details, qint64 sortOrder);

    static const EntityInfo& entityInfo();
    static const QList<PropertyMetadata>& schemaMetadata() { return entityInfo().properties; }

    QString role() const override { return text(Role); }
    QString company() const override { return text(Company); }
    QString startDate() const override { return text(StartDate); }
    QString endDate() const override { return text(EndDate); }
    QString details() const override { return text(Details); }
    qint64 sortOrder() const override { return int64(SortOrder); }

    void setRole(const QString& v) { setValue(Role, v); }
    void setCompany(const QString& v) { setValue(Company, v); }
    void setStartDate(const QString& v) { setValue(StartDate, v); }
    void setEndDate(const QString& v) { setValue(EndDate, v); }
    void setDetails(const QString& v) { setValue(Details, v); }
    void setSortOrder(qint64 v) { setValue(SortOrder, v); }

signals:
    // The property a write changed (see Record::propertyChanged).
    void changed(quillora::Experience::Property property);

private:
    void emitTypedChange(int index) override { emit changed(Property(index)); }

    friend class StoreCodec;
    friend class ModelContext;
    struct FromStore {};
    explicit Experience(FromStore);
};

using ExperiencePtr = std::shared_ptr<Experience>;

} // namespace quillora
