#pragma once

#include <QString>

#include <stdexcept>

// Why a recording could not begin or could not go on: no input device, a device that refused to
// open, a file that could not be written, an encoder failure.
class RecorderError : public std::runtime_error {
public:
    explicit RecorderError(const QString& description)
        : std::runtime_error(description.toStdString()) {}
};
