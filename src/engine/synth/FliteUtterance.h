#pragma once

#include "engine/synth/FliteScript.h"
#include "engine/synth/SynthesizerBackend.h"

#include <vector>

struct cst_utterance_struct;
struct cst_item_struct;

// What a synthesised Flite utterance tells of its sound, as the engine's events: a Word where
// each written token starts to sound (one for "1999", which Flite speaks as three words), a
// Phoneme per segment in IPA, and the piece's marks just before the words they precede. Samples
// count from the utterance's start at Flite's own rate; text positions are the SSML's code points.
class FliteUtterance {
public:
    // sampleRate is the voice's own: while Flite streams, the utterance holds no wave yet.
    FliteUtterance(cst_utterance_struct* utterance, const FliteScript::Piece& piece, int sampleRate);

    std::vector<SynthEvent> events() const { return m_events; }
    // Where its sound starts after Flite's leading pause, and ends before the closing one.
    qint64 soundBegin() const { return m_soundBegin; }
    qint64 soundEnd() const { return m_soundEnd; }

private:
    struct Span {
        int begin = 0;
        int end = 0;
    };
    Span writtenSpan(cst_item_struct* token) const;
    void word(cst_item_struct* token, qint64 sample);
    void marksUpTo(int byte, qint64 sample);

    const FliteScript::Piece& m_piece;
    std::vector<Span> m_blankSeparated; // the piece's text cut at its blanks
    size_t m_nextMark = 0;
    qint64 m_soundBegin = -1;
    qint64 m_soundEnd = 0;
    std::vector<SynthEvent> m_events;
};
