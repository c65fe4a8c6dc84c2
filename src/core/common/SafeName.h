#pragma once
// A name from outside (a web page, a resolver's JSON) made into one file-name
// component, so that it can never choose where a file is written.
#include <QString>

namespace varnel {

// No "/", no NUL or other control characters (C1 included), no direction,
// zero-width or byte-order marks, never "." or "..", no leading "." or blank,
// at most maxBytes bytes of UTF-8 (cut at a character boundary); an empty
// result becomes fallback. Linear in the name's length.
QString safeFileName(const QString& name, int maxBytes = 200, const QString& fallback = QStringLiteral("video"));

// Whether path names a file directly inside folder (both made absolute and
// clean; no link is followed), the last check before a name from outside is
// written to.
bool isDirectlyInside(const QString& path, const QString& folder);

} // namespace varnel
