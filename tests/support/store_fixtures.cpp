#include "support/store_fixtures.h"

#include "platform/settings.h"
#include "store/model_container.h"
#include "store/model_context.h"
#include "store/store_codec.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

namespace quillora::test {

std::unique_ptr<Services> openStoreServices(const QString& storePath) {
    auto container = ModelContainer::open(storePath);
    if (!container)
        qFatal("store: %s", qPrintable(container.error()));
    auto services = std::make_unique<Services>(
        std::move(container).value(),
        std::make_unique<Settings>(QDir::tempPath() + QStringLiteral("/store.ini")));
    services->context().setAutosaveEnabled(false);
    return services;
}

QByteArray encodedImage(const QColor& color, const char* format, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString rebuiltEntryTable(const EntityInfo& entity, const QString& from, const QString& to) {
    QString create = StoreCodec::createTableStatement(entity);
    create.replace(create.indexOf(from), from.size(), to);
    const QString table = u'"' + entity.name + u'"';
    return QStringLiteral("DROP INDEX \"%1_owner\"; ALTER TABLE %2 RENAME TO old; %3 INSERT INTO %2 SELECT * "
                          "FROM old; DROP TABLE old;")
        .arg(entity.name, table, create);
}

} // namespace quillora::test
