#pragma once

#include <QString>

#include <exception>

// The one error line of the main screen for a failure of the action named by `label`.
QString failureText(std::exception_ptr error, const QString& label);
