#include "PdfLines.h"

#include "DocumentText.h"

#include <QStringView>

namespace {

using Break = DocumentText::Break;

bool isHyphen(QChar c)
{
    return c == u'-' || c == QChar(0x2010) || c == QChar(0x00AD);
}

// "con-" followed by "tinued": the hyphen only broke the word.
bool brokenWord(QStringView line, QStringView next)
{
    return line.size() >= 2 && isHyphen(line.back()) && line.at(line.size() - 2).isLetter() && !next.isEmpty()
        && next.front().isLower();
}

// A gap this many times a line's height above the next line's top starts a new paragraph.
constexpr double paragraphGap = 1.6;

bool newParagraph(const PdfLine& line, const PdfLine& next)
{
    const double height = qMax(line.box.height(), 1.0);
    const double advance = next.box.top() - line.box.top();
    // A line that goes back up the page starts a new column or block.
    return advance < 0 || advance > paragraphGap * height;
}

} // namespace

namespace PdfLines {

void addPage(const std::vector<PdfLine>& lines, DocumentText& out)
{
    out.separate(Break::Paragraph);
    for (size_t i = 0; i < lines.size(); ++i) {
        QStringView text(lines[i].text);
        const bool last = i + 1 == lines.size();
        const bool joined = !last && !newParagraph(lines[i], lines[i + 1]) && brokenWord(text, lines[i + 1].text);
        if (joined)
            text.chop(1);
        out.add(text);
        if (last)
            break;
        if (joined)
            continue;
        out.separate(newParagraph(lines[i], lines[i + 1]) ? Break::Paragraph : Break::Space);
    }
    out.separate(Break::Paragraph);
}

} // namespace PdfLines
