#pragma once

#include "app/services.h"
#include "model/record.h"

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

#include <memory>

namespace quillora::test {

// The app's services over the store file at `storePath`, as the app opens it after a restart,
// with settings in the test's temporary folder and autosave off (tests save when they mean to).
std::unique_ptr<Services> openStoreServices(const QString& storePath);

// An image of one colour, encoded in `format` ("PNG", "JPEG", …).
QByteArray encodedImage(const QColor& color, const char* format = "PNG", QSize size = QSize(64, 48));

// Statements that rebuild an entry table (experience, education, portfolio) as the app makes it,
// but with the first `from` in its definition replaced by `to`, keeping its rows and its index.
QString rebuiltEntryTable(const EntityInfo& entity, const QString& from, const QString& to);

} // namespace quillora::test
