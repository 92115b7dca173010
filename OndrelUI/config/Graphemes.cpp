#include "OndrelUI/config/Graphemes.h"

#include <QTextBoundaryFinder>

namespace Graphemes {

qsizetype count(QStringView text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype n = 0;
    while (finder.toNextBoundary() != -1)
        ++n;
    return n;
}

qsizetype offsetAfter(QStringView text, qsizetype n) {
    if (n <= 0)
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype boundary = 0;
    for (qsizetype i = 0; i < n; ++i) {
        boundary = finder.toNextBoundary();
        if (boundary == -1)
            return -1;
    }
    return boundary;
}

QString elide(const QString& text, qsizetype limit) {
    // A character spans at least one UTF-16 unit, so a short text needs no segmentation.
    if (text.size() <= limit)
        return text;
    const qsizetype cut = offsetAfter(text, limit);
    if (cut == -1 || cut == text.size())
        return text;
    return text.left(cut) + QChar(0x2026);
}

} // namespace Graphemes
