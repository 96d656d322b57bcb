#pragma once

#include "engine/synth/FliteScript.h"
#include "engine/synth/SynthesizerBackend.h"

#include <memory>
#include <vector>

struct cst_utterance_struct;
class RateConverter;

// One piece's sound as Flite streams it, handed on as the engine takes it: converted to the
// engine's rate as it comes (so the first audio leaves before the utterance is finished), cut to
// its sound where it joins a neighbour of another prosody, faded there, scaled by the piece's
// volume, each block with the events that fall inside it.
class FliteStream {
public:
    struct Placement {
        qint64 base = 0; // the engine's sample at which the piece starts
        bool joinBefore = false; // a piece of the same sentence comes before: no leading pause
        bool joinAfter = false; // and after: no closing pause
    };

    FliteStream(
        const FliteScript::Piece& piece, int outputRate, Placement placement, const SynthesizerBackend::Sink& sink);
    ~FliteStream();
    FliteStream(const FliteStream&) = delete;
    FliteStream& operator=(const FliteStream&) = delete;

    // Flite's samples [start, start + count) of the utterance's wave; false once the sink stopped.
    bool take(
        cst_utterance_struct* utterance, const int16_t* samples, int inputRate, qint64 start, qint64 count, bool last);
    bool started() const { return m_inputRate > 0; }
    bool finished() const { return m_finished; }
    qint64 taken() const { return m_taken; } // Flite's samples seen so far
    qint64 produced() const { return m_produced; }

private:
    void open(cst_utterance_struct* utterance, int inputRate);
    std::vector<float> prepared(const int16_t* samples, qint64 start, qint64 count) const;
    bool deliver(std::vector<int16_t> samples, bool last);

    const FliteScript::Piece& m_piece;
    int m_outputRate;
    Placement m_placement;
    const SynthesizerBackend::Sink& m_sink;
    std::unique_ptr<RateConverter> m_converter;
    int m_inputRate = 0;
    qint64 m_begin = 0; // the input samples kept: [m_begin, m_end)
    qint64 m_end = 0;
    std::vector<SynthEvent> m_events; // at the engine's samples, not yet handed on
    size_t m_nextEvent = 0;
    qint64 m_taken = 0;
    qint64 m_produced = 0;
    bool m_finished = false;
};
