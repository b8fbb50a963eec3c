#pragma once

#include "platform/result.h"

#include <QString>

// Small file-system helpers for the store folders, with errors that name the path and cause.
namespace quillora::files {

// True when anything (file, folder, even a dangling link) is at the path.
bool existsAt(const QString& path);

// Creates the folder and any missing parents (new ones owner-only); an existing folder is fine,
// a file in the way is not.
Status makeDirectoryPath(const QString& path);

// Removes a file, link or folder with everything inside it.
Status removeItem(const QString& path);

// Copies a file, or a folder with everything inside it, to a destination that does not exist.
// The copies are owner-only; nothing is written through a link at the destination.
Status copyItem(const QString& source, const QString& destination);

} // namespace quillora::files
