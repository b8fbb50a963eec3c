#pragma once

#include "platform/result.h"

#include <QStringList>

// The record names of pushes to the recruiting network that have begun and not yet been seen
// to their end, kept in a file in the store's folder. A push notes its name here before it
// publishes anything and takes it off once its outcome is settled, so that a push the app never
// saw end (the app was killed meanwhile) is settled at the next start: its record is taken down,
// or kept for the résumé that holds its name. Used on the UI thread only; one app runs per
// store folder. A removal's name is listed the same way while it runs.
//
// The list is read only when it is a regular file of this user's (a link at its name is not
// followed, a pipe or device never waited on) of at most 4 MiB, and only its well-formed names
// count. Anything else found at the name is moved aside to a new name beside it, whole, and said
// in the log: the next push starts a new list instead of writing over it.
namespace quillora::morvessaPushJournal {

QString path();

// Notes a name; fails when the file cannot be written, in which case nothing may be published
// under that name.
Status add(const QString& recordName);
// Takes names off, in one write; a failure leaves them for the next start to settle again, which
// is harmless.
void remove(const QStringList& recordNames);
// The names noted and not taken off; lines that are no record name are ignored.
QStringList names();

} // namespace quillora::morvessaPushJournal
