#include "TextPieces.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr qsizetype smallestPiece = TextPieces::pieceSize / 4;
constexpr qsizetype largestPiece = TextPieces::pieceSize * 2;

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 256; });
}

// text in even pieces of at most pieceSize characters.
std::vector<TextPieces::Piece> cut(QStringView text)
{
    std::vector<TextPieces::Piece> pieces;
    if (text.isEmpty())
        return pieces;
    const qsizetype count = (text.size() + TextPieces::pieceSize - 1) / TextPieces::pieceSize;
    pieces.reserve(static_cast<std::size_t>(count));
    qsizetype start = 0;
    for (qsizetype i = 1; i <= count; ++i) {
        const qsizetype end = text.size() * i / count;
        pieces.push_back(TextPieces::Piece::of(text.sliced(start, end - start)));
        start = end;
    }
    return pieces;
}

QString textOf(const TextPieces::Piece& piece)
{
    QString text;
    piece.appendTo(text);
    return text;
}

} // namespace

TextPieces::Piece TextPieces::Piece::of(QStringView text)
{
    Piece piece;
    if (fitsLatin1(text))
        piece.m_text = text.toLatin1();
    else
        piece.m_text = text.toString();
    return piece;
}

qsizetype TextPieces::Piece::size() const
{
    return std::visit([](const auto& text) { return text.size(); }, m_text);
}

const void* TextPieces::Piece::identity() const
{
    return std::visit([](const auto& text) { return static_cast<const void*>(text.constData()); }, m_text);
}

qsizetype TextPieces::Piece::heldBytes() const
{
    if (const auto* latin1 = std::get_if<QByteArray>(&m_text))
        return latin1->capacity();
    return std::get<QString>(m_text).capacity() * qsizetype(sizeof(QChar));
}

void TextPieces::Piece::appendTo(QString& text, qsizetype from, qsizetype count) const
{
    if (count < 0)
        count = size() - from;
    if (const auto* latin1 = std::get_if<QByteArray>(&m_text)) {
        text += QLatin1String(latin1->constData() + from, count);
        return;
    }
    const QString& utf16 = std::get<QString>(m_text);
    if (from == 0 && count == utf16.size())
        text += utf16; // shares the piece when text is still empty
    else
        text += QStringView(utf16).sliced(from, count);
}

void TextPieces::Piece::replace(qsizetype position, qsizetype removed, QStringView added)
{
    // A piece shared with copies is copied here by the container itself; the copies keep the old one.
    if (auto* latin1 = std::get_if<QByteArray>(&m_text)) {
        if (fitsLatin1(added)) {
            latin1->replace(position, removed, added.toLatin1());
            return;
        }
        m_text = QString::fromLatin1(*latin1);
    }
    std::get<QString>(m_text).replace(position, removed, added.data(), added.size());
}

TextPieces::TextPieces(QStringView text)
    : m_pieces(cut(text))
    , m_size(text.size())
{
}

QString TextPieces::toString() const
{
    QString text;
    if (m_pieces.size() > 1)
        text.reserve(m_size);
    for (const Piece& piece : m_pieces)
        piece.appendTo(text);
    return text;
}

TextPieces::Place TextPieces::locate(qsizetype position) const
{
    qsizetype start = 0;
    for (std::size_t i = 0; i + 1 < m_pieces.size(); ++i) {
        const qsizetype end = start + m_pieces[i].size();
        if (position < end)
            return { i, start };
        start = end;
    }
    return { m_pieces.empty() ? 0 : m_pieces.size() - 1, start };
}

void TextPieces::replace(qsizetype position, qsizetype removed, QStringView added)
{
    position = std::clamp<qsizetype>(position, 0, m_size);
    removed = std::clamp<qsizetype>(removed, 0, m_size - position);
    if (removed == 0 && added.isEmpty())
        return;
    if (m_pieces.empty()) {
        m_pieces = cut(added);
        m_size = added.size();
        return;
    }
    const Place first = locate(position);
    const Place last = removed == 0 ? first : locate(position + removed - 1);
    const qsizetype head = position - first.start;
    m_size += added.size() - removed;

    Piece& firstPiece = m_pieces[first.piece];
    if (first.piece == last.piece && firstPiece.size() - removed + added.size() <= largestPiece) {
        firstPiece.replace(head, removed, added);
        rebalance(first.piece);
        return;
    }
    const Piece& lastPiece = m_pieces[last.piece];
    const qsizetype tail = position + removed - last.start;
    QString joined;
    joined.reserve(head + added.size() + lastPiece.size() - tail);
    firstPiece.appendTo(joined, 0, head);
    joined += added;
    lastPiece.appendTo(joined, tail);
    replacePieces(first.piece, last.piece, joined);
}

void TextPieces::replacePieces(std::size_t first, std::size_t last, QStringView text)
{
    std::vector<Piece> fresh = cut(text);
    const auto at = static_cast<std::ptrdiff_t>(first);
    m_pieces.erase(m_pieces.begin() + at, m_pieces.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    m_pieces.insert(
        m_pieces.begin() + at, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    if (fresh.empty()) {
        // The pieces on either side of the removed range now meet; the smaller may need company.
        rebalance(first < m_pieces.size() ? first : first - 1);
        return;
    }
    // The last new piece first: whatever it joins with, the index of the first stays valid.
    rebalance(first + fresh.size() - 1);
    rebalance(first);
}

void TextPieces::rebalance(std::size_t index)
{
    if (index >= m_pieces.size())
        return;
    const auto at = m_pieces.begin() + static_cast<std::ptrdiff_t>(index);
    const qsizetype size = at->size();
    if (size == 0) {
        m_pieces.erase(at);
        return;
    }
    if (size > largestPiece) {
        const QString whole = textOf(*at);
        *at = Piece::of(QStringView(whole).first(size / 2));
        m_pieces.insert(at + 1, Piece::of(QStringView(whole).sliced(size / 2)));
        return;
    }
    if (size >= smallestPiece || m_pieces.size() == 1)
        return;
    // Too small: joined with its smaller neighbour, and split again should the two be too large.
    const bool last = index + 1 == m_pieces.size();
    const std::size_t left
        = last || (index > 0 && m_pieces[index - 1].size() <= m_pieces[index + 1].size()) ? index - 1 : index;
    QString joined = textOf(m_pieces[left]);
    m_pieces[left + 1].appendTo(joined);
    m_pieces[left] = Piece::of(joined);
    m_pieces.erase(m_pieces.begin() + static_cast<std::ptrdiff_t>(left) + 1);
    rebalance(left);
}
