#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quillora {

// How "/" is written inside a JSON string: as it is, or as "\/".
enum class JsonSlash { asIs, escaped };

// Appends the UTF-8 text as a JSON string literal, quotes included: `"`, `\` and control
// characters escaped (\n, \r, \t, \b, \f, else \u00XX), "/" as `slash` says, everything else
// (also non-ASCII) written as it is.
void appendJsonString(QByteArray& out, QByteArrayView utf8, JsonSlash slash);

} // namespace quillora
