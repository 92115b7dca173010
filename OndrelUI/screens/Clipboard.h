#pragma once

#include <QString>

// Replaces whatever the system clipboard holds with `text` as plain text.
void copyToClipboard(const QString& text);
