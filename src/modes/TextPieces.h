#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <variant>
#include <vector>

// A text held as a row of implicitly shared pieces of a few thousand characters. Copies share
// every piece and an edit copies only the pieces it touches, so many versions of a long text
// that differ a little cost hardly more than one of them. A piece whose characters all lie in
// Latin-1 keeps one byte per character.
class TextPieces {
public:
    // Pieces are cut to at most this many characters; edits keep them between a quarter of it
    // and twice it (a text shorter than that is one piece).
    static constexpr qsizetype pieceSize = 8192;

    class Piece {
    public:
        static Piece of(QStringView text);

        qsizetype size() const;
        // The same for every copy of the piece, until one of them is changed.
        const void* identity() const;
        // Bytes allocated for the characters.
        qsizetype heldBytes() const;

        void appendTo(QString& text, qsizetype from = 0, qsizetype count = -1) const;
        void replace(qsizetype position, qsizetype removed, QStringView added);

    private:
        // Latin-1 bytes, or UTF-16 once a character beyond Latin-1 has come in.
        std::variant<QByteArray, QString> m_text;
    };

    TextPieces() = default;
    explicit TextPieces(QStringView text);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QString toString() const;
    const std::vector<Piece>& pieces() const { return m_pieces; }

    // Replaces `removed` characters at `position` with `added`. A range reaching past the text
    // is cut at its end.
    void replace(qsizetype position, qsizetype removed, QStringView added);

private:
    struct Place {
        std::size_t piece;
        qsizetype start; // of the piece in the text
    };
    // The piece holding the character at position; the last piece for the end of the text.
    Place locate(qsizetype position) const;
    void replacePieces(std::size_t first, std::size_t last, QStringView text);
    // Joins a piece that has grown too small with a neighbour, or splits one that has grown too large.
    void rebalance(std::size_t piece);

    std::vector<Piece> m_pieces;
    qsizetype m_size = 0;
};
