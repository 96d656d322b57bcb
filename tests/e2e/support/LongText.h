#pragma once

#include <QByteArray>

// A text file of at least the given size, in lines of plain English ended by CR LF, each line
// numbered so that no two are alike.
inline QByteArray longTextFile(qsizetype atLeast)
{
    QByteArray content;
    content.reserve(atLeast + 128);
    for (int line = 1; content.size() < atLeast; ++line)
        content += "Line " + QByteArray::number(line) + " of a long document that the program has to hold.\r\n";
    return content;
}
