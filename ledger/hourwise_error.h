#pragma once

#include <QString>

#include <stdexcept>

// An error that reaches the user as a message box. The message is shown as
// it stands; the standard error box adds the closing full stop itself.
// File errors ("Cannot create file ...") and text conversion errors
// ("'x' is not a valid integer value") are of this type.
class HourwiseError : public std::runtime_error {
public:
    explicit HourwiseError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString &message() const { return message_; }

private:
    QString message_;
};
