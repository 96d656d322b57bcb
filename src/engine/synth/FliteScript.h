#pragma once

#include <QByteArray>
#include <algorithm>
#include <vector>

// A chunk of SSML as Flite can speak it. Flite reads plain English text, so the markup becomes a
// list of pieces: runs of text spoken with one prosody (rate, pitch, volume, spelling) and the
// pauses between them, with each mark placed at a byte of the run it stands in. Every byte given
// to Flite remembers the code point of the SSML it came from, so that what Flite reports maps
// back to the SSML's text positions as eSpeak NG reports them.
class FliteScript {
public:
    struct Mark {
        QByteArray name;
        int byte = 0; // the mark stands before this byte of the piece's text
    };
    struct Piece {
        bool pause = false;
        int milliseconds = 0; // a pause's length
        QByteArray text; // printable ASCII, ending in a blank
        std::vector<int> origins; // per byte of text: its code point in the SSML
        std::vector<Mark> marks; // in text order
        double rate = 1.0; // speed against the voice's own
        double pitch = 1.0; // factor of the voice's pitch
        double volume = 1.0; // gain

        bool spoken() const
        {
            return std::any_of(text.begin(), text.end(), [](char c) { return c != ' '; });
        }
    };

    // speakPunctuation reads punctuation marks out by name.
    FliteScript(const QByteArray& ssml, bool speakPunctuation);

    const std::vector<Piece>& pieces() const& { return m_pieces; }
    std::vector<Piece> pieces() && { return std::move(m_pieces); }

private:
    struct Prosody {
        double rate = 1.0;
        double pitch = 1.0;
        double volume = 1.0;
        bool spell = false;
    };

    void tag(const QString& tag);
    void openTag(const QString& name, const QString& tag);
    void character(char32_t c, int position);
    void append(const QByteArray& bytes, int position);
    Piece& speech();

    bool m_speakPunctuation;
    std::vector<Prosody> m_stack { Prosody {} };
    std::vector<QString> m_open; // names of the elements open, matching m_stack beyond its first
    std::vector<Piece> m_pieces;
};
