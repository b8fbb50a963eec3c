#pragma once

#include <QString>

namespace quillora {

// The app's cloud container. Errors about the container's access name it.
inline QString cloudContainerIdentifier() {
    return QStringLiteral("iCloud.com.quillora.Quillora");
}

// The record type of a shared résumé, and the name of its table in the public database.
inline QString morvessaRecordType() {
    return QStringLiteral("QuilloraResume");
}

// The environment variable that holds the libpq connection string of the public database.
inline constexpr char kCloudDatabaseVariable[] = "QUILLORA_CLOUD_DATABASE";

} // namespace quillora
