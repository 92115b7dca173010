#include "OndrelUI/screens/ClipboardCopy.h"

#include "OndrelUI/screens/Clipboard.h"

#include <QTimer>

ClipboardCopy::ClipboardCopy(QObject* parent) : QObject(parent) {}

void ClipboardCopy::copy(const QString& text) {
    copyToClipboard(text);
    setCopied(true);
    QTimer::singleShot(checkMarkMs, this, [this] { setCopied(false); });
}

void ClipboardCopy::setCopied(bool copied) {
    if (copied == m_copied)
        return;
    m_copied = copied;
    Q_EMIT copiedChanged();
}
