#pragma once

#include <QString>

// The one span in which two texts differ: what lies between their common beginning and their
// common end. Replacing `removed` characters at `position` of the first text with `inserted`
// gives the second. A span never splits a surrogate pair.
struct TextDifference {
    qsizetype position = 0;
    qsizetype removed = 0;
    QString inserted;

    static TextDifference between(const QString& before, const QString& after);
};
