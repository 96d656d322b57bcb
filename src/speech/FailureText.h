#pragma once

#include "PlatformError.h"

#include <QString>
#include <exception>

// What the event log says of a failure: a platform failure's description, else its own message.
inline QString failureText(const std::exception& failure)
{
    if (const auto* platform = dynamic_cast<const PlatformError*>(&failure))
        return platform->description();
    return QString::fromLocal8Bit(failure.what());
}
