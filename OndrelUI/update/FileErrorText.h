#pragma once

#include <QFileDevice>
#include <QString>

// The Russian words for what went wrong with a file, for the update dialog's lines. Qt's own
// errorString() is the system's English.
namespace FileErrorText {

QString describe(const QFileDevice& file);

} // namespace FileErrorText
