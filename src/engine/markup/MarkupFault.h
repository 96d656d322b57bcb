#pragma once

#include <QString>
#include <QStringView>

// How the reader describes what it cannot read. Positions are QString offsets (0-based), the
// same unit as the items' spans.
namespace MarkupFault {
// Throws PlatformError naming the position and the fault.
[[noreturn]] void raise(qsizetype at, const QString& what);
// text[begin, end) as a description shows it: cut short after 40 characters.
QString excerpt(QStringView text, qsizetype begin, qsizetype end);
} // namespace MarkupFault
