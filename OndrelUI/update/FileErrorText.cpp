#include "OndrelUI/update/FileErrorText.h"

namespace FileErrorText {

QString describe(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::ResourceError: // a write that met a full disk
        return QStringLiteral("на диске нет места");
    case QFileDevice::WriteError:
        return QStringLiteral("ошибка записи на диск");
    case QFileDevice::ReadError:
        return QStringLiteral("ошибка чтения с диска");
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("файл не открывается: нет прав или места");
    case QFileDevice::RenameError:
        return QStringLiteral("файл не переименовывается");
    case QFileDevice::TimeOutError:
        return QStringLiteral("диск не отвечает");
    default:
        return QStringLiteral("ошибка файловой системы");
    }
}

} // namespace FileErrorText
