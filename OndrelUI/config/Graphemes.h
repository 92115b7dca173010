#pragma once

#include <QString>
#include <QStringView>

// Text measured in user-perceived characters (extended grapheme clusters): an emoji with a skin
// tone, a flag or a letter with combining marks counts as one, and a cut never splits one.
namespace Graphemes {

qsizetype count(QStringView text);

// The UTF-16 offset just past the first `n` characters, or -1 when the text has fewer.
qsizetype offsetAfter(QStringView text, qsizetype n);

// The text cut to its first `limit` characters and followed by "…", or unchanged when it has
// at most `limit` characters.
QString elide(const QString& text, qsizetype limit);

} // namespace Graphemes
