#pragma once

#include <QByteArray>
#include <QFile>

#include <stdexcept>
#include <string>

// Hand-written service answers in tests/OndrelCore/fixtures.
inline QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(ONDREL_FIXTURES "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("missing fixture ") + name);
    return file.readAll();
}
