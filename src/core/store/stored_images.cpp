#include "store/stored_images.h"

#include "store/store_codec.h"

namespace quillora {

namespace {

QString storedId(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

// The items with an image, found by the item's id.
QString fromItemsWithImages() {
    return QStringLiteral(" FROM \"PortfolioItem\" p JOIN \"") % StoreCodec::imageTable() %
           QStringLiteral("\" i ON i.itemPK = p.pk WHERE p.\"id\" = ?");
}

} // namespace

StoredImageReader::StoredImageReader(QString storeFilePath)
    : m_path(std::move(storeFilePath)) {}

StoredImageReader::~StoredImageReader() {
    close();
}

bool StoredImageReader::defer(const PortfolioItem& item) {
    if (item.isImageLoaded() || !begin())
        return false;
    m_check->reset();
    m_check->bind(1, storedId(item.id()));
    const bool found = m_check->next() && m_check->int64(0) != 0;
    m_check->reset();
    if (found)
        m_ids.insert(item.id());
    return found;
}

Result<QByteArray> StoredImageReader::read(const QUuid& id) {
    const QString failed = QStringLiteral("Could not read portfolio images from the store: ");
    if (!m_ids.contains(id) || !m_db.isOpen())
        return Result<QByteArray>::failure(ErrorKind::storage,
                                           failed + QStringLiteral("the image was not noted"));
    if (!m_read) {
        auto read = m_db.prepare(QStringLiteral("SELECT i.\"imageData\"") % fromItemsWithImages());
        if (!read)
            return Result<QByteArray>::failure(ErrorKind::storage, failed + read.error());
        m_read = std::move(read).value();
    }
    m_read->reset();
    m_read->bind(1, storedId(id));
    if (!m_read->next() || m_read->isNull(0)) {
        const QString error = m_read->error().isEmpty() ? m_db.lastError() : m_read->error();
        m_read->reset();
        return Result<QByteArray>::failure(ErrorKind::storage, failed + error);
    }
    QByteArray bytes = m_read->blob(0);
    m_read->reset();
    return bytes;
}

void StoredImageReader::close() {
    m_check.reset();
    m_read.reset();
    m_db = sql::Database();
}

bool StoredImageReader::begin() {
    if (m_check)
        return true;
    if (m_unavailable || m_path.isEmpty())
        return false;
    m_unavailable = true; // until proven otherwise; tried once
    auto db = sql::Database::open(m_path, sql::Database::Mode::ReadOnly);
    if (!db)
        return false;
    m_db = std::move(db).value();
    // typeof() reads only the row's header, not the image.
    auto check =
        m_db.prepare(QStringLiteral("SELECT typeof(i.\"imageData\") = 'blob'") % fromItemsWithImages());
    if (!m_db.exec(QStringLiteral("BEGIN")) || !check)
        return false;
    // A read transaction takes its snapshot at its first read, not at BEGIN.
    auto pin = m_db.prepare(QStringLiteral("SELECT 1 FROM \"PortfolioItem\" LIMIT 1"));
    if (!pin)
        return false;
    (void)pin->next();
    if (!pin->error().isEmpty())
        return false;
    m_check = std::move(check).value();
    m_unavailable = false;
    return true;
}

} // namespace quillora
