#include "store/store_codec.h"

#include "model/education.h"
#include "model/experience.h"
#include "model/portfolio_item.h"
#include "model/resume.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

namespace quillora {

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('"') % name % QLatin1Char('"');
}

QString columnType(PropertyType type) {
    switch (type) {
    case PropertyType::Text:
    case PropertyType::TextList:
    case PropertyType::Date:
    case PropertyType::Orientation:
        return QStringLiteral("TEXT NOT NULL");
    case PropertyType::Uuid:
        return QStringLiteral("TEXT NOT NULL UNIQUE");
    case PropertyType::OptionalText:
    case PropertyType::OptionalDate:
    case PropertyType::OptionalTextList:
        return QStringLiteral("TEXT");
    case PropertyType::Bool:
    case PropertyType::Int64:
        return QStringLiteral("INTEGER NOT NULL");
    case PropertyType::OptionalBytes:
        return QStringLiteral("BLOB");
    case PropertyType::ToMany:
        break;
    }
    return QString();
}

QString encodeList(const QStringList& list) {
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

std::optional<QStringList> decodeList(const QString& text) {
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& v : doc.array()) {
        if (!v.isString())
            return std::nullopt;
        list.append(v.toString());
    }
    return list;
}

} // namespace

const QList<const EntityInfo*>& StoreCodec::entities() {
    static const QList<const EntityInfo*> all{&Resume::entityInfo(), &Experience::entityInfo(),
                                              &Education::entityInfo(), &PortfolioItem::entityInfo()};
    return all;
}

bool StoreCodec::isEntry(const EntityInfo& entity) {
    return &entity != &Resume::entityInfo();
}

QList<int> StoreCodec::storedProperties(const EntityInfo& entity) {
    QList<int> indexes;
    for (int i = 0; i < entity.properties.size(); ++i) {
        if (entity.properties.at(i).type != PropertyType::ToMany)
            indexes.append(i);
    }
    return indexes;
}

QList<int> StoreCodec::columnProperties(const EntityInfo& entity) {
    QList<int> indexes = storedProperties(entity);
    if (&entity == &PortfolioItem::entityInfo())
        indexes.removeAll(int(PortfolioItem::ImageData));
    return indexes;
}

QStringList StoreCodec::columnNames(const EntityInfo& entity) {
    QStringList names{QStringLiteral("pk")};
    if (isEntry(entity))
        names << QStringLiteral("ownerPK") << QStringLiteral("position");
    for (int index : columnProperties(entity))
        names << entity.properties.at(index).name;
    return names;
}

QString StoreCodec::createImageTableStatement() {
    return QStringLiteral("CREATE TABLE IF NOT EXISTS ") % quoted(imageTable()) %
           QStringLiteral(" (itemPK INTEGER PRIMARY KEY, \"imageData\" BLOB NOT NULL);");
}

QStringList StoreCodec::imageTableColumns() {
    return {QStringLiteral("itemPK"), QStringLiteral("imageData")};
}

QString StoreCodec::createTableStatement(const EntityInfo& entity, bool imageInRow) {
    QStringList columns{QStringLiteral("pk INTEGER PRIMARY KEY AUTOINCREMENT")};
    if (isEntry(entity)) {
        columns << QStringLiteral("ownerPK INTEGER") << QStringLiteral("position INTEGER NOT NULL DEFAULT 0");
    }
    for (int index : imageInRow ? storedProperties(entity) : columnProperties(entity)) {
        const PropertyMetadata& p = entity.properties.at(index);
        columns << quoted(p.name) % QLatin1Char(' ') % columnType(p.type);
    }
    QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS ") % quoted(entity.name) % QStringLiteral(" (") %
                  columns.join(QStringLiteral(", ")) % QStringLiteral(");");
    if (isEntry(entity)) {
        sql += QStringLiteral(" CREATE INDEX IF NOT EXISTS ") %
               quoted(entity.name % QStringLiteral("_owner")) % QStringLiteral(" ON ") % quoted(entity.name) %
               QStringLiteral(" (ownerPK, position);");
    }
    return sql;
}

quint64 StoreCodec::deferredProperties(const EntityInfo& entity) {
    if (&entity != &Resume::entityInfo())
        return 0;
    quint64 bits = 0;
    for (int p : {Resume::Summary, Resume::CoverLetterText, Resume::CoverLetterJobPosting,
                  Resume::CoverLetterAIContext, Resume::AtsJobPosting, Resume::AtsGeneratedText})
        bits |= quint64(1) << p;
    return bits;
}

namespace {

QList<int> resumeColumns(bool deferLongTexts) {
    QList<int> props = StoreCodec::storedProperties(Resume::entityInfo());
    if (deferLongTexts) {
        const quint64 deferred = StoreCodec::deferredProperties(Resume::entityInfo());
        props.removeIf([deferred](int p) { return (deferred & (quint64(1) << p)) != 0; });
    }
    return props;
}

} // namespace

QString StoreCodec::selectResumes(const QString& where, bool deferLongTexts) {
    const EntityInfo& entity = Resume::entityInfo();
    QStringList columns{QStringLiteral("pk")};
    for (int p : resumeColumns(deferLongTexts))
        columns << quoted(entity.properties.at(p).name);
    QString sql = QStringLiteral("SELECT ") % columns.join(QStringLiteral(", ")) % QStringLiteral(" FROM ") %
                  quoted(entity.name);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return sql;
}

Result<std::shared_ptr<Record>> StoreCodec::readResume(const sql::Statement& row, bool entriesInStore,
                                                       bool deferLongTexts) {
    using R = Result<std::shared_ptr<Record>>;
    auto resume = std::shared_ptr<Resume>(new Resume(Resume::FromStore{}));
    resume->m_storeKey = row.int64(0);
    resume->m_entriesInStore = entriesInStore;
    if (deferLongTexts)
        resume->m_unread = deferredProperties(Resume::entityInfo());
    const QList<int> props = resumeColumns(deferLongTexts);
    for (int i = 0; i < props.size(); ++i) {
        if (auto status = readProperty(row, i + 1, *resume, props.at(i)); !status)
            return R::failure(status.error());
    }
    return std::shared_ptr<Record>(resume);
}

namespace {

QList<int> entryColumns(const EntityInfo& entity) {
    return StoreCodec::columnProperties(entity);
}

} // namespace

QString StoreCodec::selectEntries(const EntityInfo& entity, const QString& where, bool withImage) {
    QStringList columns{QStringLiteral("pk"), QStringLiteral("ownerPK")};
    for (int p : entryColumns(entity))
        columns << quoted(entity.properties.at(p).name);
    // The image from its own table; without it, only whether there is one (a look-up of the key).
    if (&entity == &PortfolioItem::entityInfo()) {
        const QString image = QStringLiteral(" FROM ") % quoted(imageTable()) %
                              QStringLiteral(" WHERE itemPK = ") % quoted(entity.name) %
                              QStringLiteral(".pk)");
        columns << (withImage ? QStringLiteral("(SELECT \"imageData\"") % image
                              : QStringLiteral("EXISTS (SELECT 1") % image);
    }
    return QStringLiteral("SELECT ") % columns.join(QStringLiteral(", ")) % QStringLiteral(" FROM ") %
           quoted(entity.name) % QStringLiteral(" WHERE ") % where %
           QStringLiteral(" ORDER BY ownerPK, position, pk");
}

Result<std::shared_ptr<Record>> StoreCodec::readEntry(const EntityInfo& entity, const sql::Statement& row,
                                                      bool withImage) {
    using R = Result<std::shared_ptr<Record>>;
    std::shared_ptr<Record> entry;
    if (&entity == &Experience::entityInfo())
        entry.reset(new Experience(Experience::FromStore{}));
    else if (&entity == &Education::entityInfo())
        entry.reset(new Education(Education::FromStore{}));
    else
        entry.reset(new PortfolioItem(PortfolioItem::FromStore{}));
    entry->m_storeKey = row.int64(0);
    const QList<int> props = entryColumns(entity);
    for (int i = 0; i < props.size(); ++i) {
        if (auto status = readProperty(row, i + 2, *entry, props.at(i)); !status)
            return R::failure(status.error());
    }
    if (&entity == &PortfolioItem::entityInfo()) {
        auto* item = static_cast<PortfolioItem*>(entry.get());
        const int column = int(props.size()) + 2;
        if (withImage) {
            if (auto status = readProperty(row, column, *item, PortfolioItem::ImageData); !status)
                return R::failure(status.error());
        } else {
            item->m_imageInStore = row.int64(column) != 0;
        }
    }
    return entry;
}

void StoreCodec::attachEntry(Record& owner, const std::shared_ptr<Record>& entry) {
    auto& resume = static_cast<Resume&>(owner);
    const EntityInfo* entity = &entry->entity();
    if (entity == &Experience::entityInfo())
        resume.m_experienceItems.append(std::static_pointer_cast<Experience>(entry));
    else if (entity == &Education::entityInfo())
        resume.m_educationItems.append(std::static_pointer_cast<Education>(entry));
    else
        resume.m_portfolioItems.append(std::static_pointer_cast<PortfolioItem>(entry));
}

QString StoreCodec::encodeDate(const QDateTime& date) {
    return date.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime StoreCodec::decodeDate(const QString& text) {
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    return date.toUTC();
}

void StoreCodec::bindProperty(sql::Statement& stmt, int parameter, const Record& record, int property) {
    const QVariant& v = record.m_values.at(property);
    switch (record.entity().properties.at(property).type) {
    case PropertyType::Text:
    case PropertyType::Orientation:
        stmt.bind(parameter, v.toString());
        break;
    case PropertyType::OptionalText:
        if (v.isValid())
            stmt.bind(parameter, v.toString());
        else
            stmt.bindNull(parameter);
        break;
    case PropertyType::Bool:
        stmt.bind(parameter, qint64(v.toBool() ? 1 : 0));
        break;
    case PropertyType::Int64:
        stmt.bind(parameter, v.toLongLong());
        break;
    case PropertyType::Date:
        stmt.bind(parameter, encodeDate(v.toDateTime()));
        break;
    case PropertyType::OptionalDate:
        if (v.isValid())
            stmt.bind(parameter, encodeDate(v.toDateTime()));
        else
            stmt.bindNull(parameter);
        break;
    case PropertyType::TextList:
        stmt.bind(parameter, encodeList(v.toStringList()));
        break;
    case PropertyType::OptionalTextList:
        if (v.isValid())
            stmt.bind(parameter, encodeList(v.toStringList()));
        else
            stmt.bindNull(parameter);
        break;
    case PropertyType::OptionalBytes:
        if (v.isValid())
            stmt.bindBlob(parameter, v.toByteArray());
        else
            stmt.bindNull(parameter);
        break;
    case PropertyType::Uuid:
        stmt.bind(parameter, v.toUuid().toString(QUuid::WithoutBraces).toUpper());
        break;
    case PropertyType::ToMany:
        break;
    }
}

Status StoreCodec::readProperty(const sql::Statement& stmt, int column, Record& record, int property) {
    const PropertyMetadata& meta = record.entity().properties.at(property);
    QVariant& slot = record.m_values[property];
    const auto corrupt = [&] {
        return Status::failure(
            QStringLiteral("The stored value of %1.%2 cannot be read.").arg(record.entity().name, meta.name));
    };
    const bool null = stmt.isNull(column);
    switch (meta.type) {
    case PropertyType::Text:
        slot = stmt.text(column);
        break;
    case PropertyType::OptionalText:
        slot = null ? QVariant() : QVariant(stmt.text(column));
        break;
    case PropertyType::Bool:
        slot = stmt.int64(column) != 0;
        break;
    case PropertyType::Int64:
        slot = stmt.int64(column);
        break;
    case PropertyType::Date:
    case PropertyType::OptionalDate: {
        if (null) {
            if (meta.type == PropertyType::Date)
                return corrupt();
            slot = QVariant();
            break;
        }
        const QDateTime date = decodeDate(stmt.text(column));
        if (!date.isValid())
            return corrupt();
        slot = date;
        break;
    }
    case PropertyType::TextList:
    case PropertyType::OptionalTextList: {
        if (null) {
            if (meta.type == PropertyType::TextList)
                return corrupt();
            slot = QVariant();
            break;
        }
        const auto list = decodeList(stmt.text(column));
        if (!list)
            return corrupt();
        slot = *list;
        break;
    }
    case PropertyType::OptionalBytes:
        slot = null ? QVariant() : QVariant(stmt.blob(column));
        break;
    case PropertyType::Uuid: {
        const QUuid id(stmt.text(column));
        if (id.isNull())
            return corrupt();
        slot = id;
        break;
    }
    case PropertyType::Orientation: {
        const QString raw = stmt.text(column);
        if (!portfolioImageOrientationFromRawValue(raw))
            return corrupt();
        slot = raw;
        break;
    }
    case PropertyType::ToMany:
        break;
    }
    return success();
}

} // namespace quillora
