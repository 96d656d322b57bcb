#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QPainter;
class QPdfWriter;

// Small documents of every kind the editor reads, each with a heading, a list, a table and
// text beyond ASCII, written into a folder with the formats' own libraries or by hand.
namespace TestDocuments {

QByteArray html();
QByteArray markdown();
bool writeOdt(const QString& path);
bool writeDocx(const QString& path);
// Two chapters, whose spine order is the reverse of their order in the manifest.
bool writeEpub(const QString& path);
// Two pages drawn with QPdfWriter: a heading, a paragraph whose word breaks with a hyphen at a
// line's end (and a number that does not), a list, a table's row, and "Grüße" and "Ελληνικά" on the second page.
bool writePdf(const QString& path);
// An A4 PDF at 72 dots an inch, drawn by draw in DejaVu Sans of the given pixel size; false
// when it could not be written.
bool drawPdf(const QString& path, int pixelSize, const std::function<void(QPainter&, QPdfWriter&)>& draw);
// A Word document whose body is given as the inside of <w:body>, after an optional prologue
// (a document type, say) before the root element.
bool writeDocxBody(const QString& path, const QByteArray& body, const QByteArray& prologue = {});

} // namespace TestDocuments
