#pragma once

#include <QString>
#include <stdexcept>

// A failed platform operation: carries the platform's description text and, where one is
// defined (such as the common dialog's cancel code 32755), a number.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& description, int number = 0)
        : std::runtime_error(description.toStdString())
        , m_description(description)
        , m_number(number)
    {
    }

    QString description() const { return m_description; }
    int number() const { return m_number; }

private:
    QString m_description;
    int m_number;
};

// What to tell a person of a failure: a platform failure's description, else the exception's
// own message.
inline QString failureText(const std::exception& failure)
{
    if (const auto* platform = dynamic_cast<const PlatformError*>(&failure))
        return platform->description();
    return QString::fromLocal8Bit(failure.what());
}
