#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

// The permission bits of a file, as `ls -l` shows them (0600: its owner may read and write).
inline int fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}
