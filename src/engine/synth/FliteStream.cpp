#include "engine/synth/FliteStream.h"

#include "engine/audio/PcmFormat.h"
#include "engine/audio/RateConverter.h"
#include "engine/synth/FliteUtterance.h"

#include <algorithm>
#include <cmath>
#include <limits>

FliteStream::FliteStream(
    const FliteScript::Piece& piece, int outputRate, Placement placement, const SynthesizerBackend::Sink& sink)
    : m_piece(piece)
    , m_outputRate(outputRate)
    , m_placement(placement)
    , m_sink(sink)
{
}

FliteStream::~FliteStream() = default;

// The utterance is whole once Flite streams its sound: its words and segments give the events
// and where the sound starts and ends.
void FliteStream::open(cst_utterance_struct* utterance, int inputRate)
{
    m_inputRate = inputRate;
    if (inputRate != m_outputRate)
        m_converter = std::make_unique<RateConverter>(inputRate, m_outputRate);
    const FliteUtterance spoken(utterance, m_piece, inputRate);
    m_begin = m_placement.joinBefore ? spoken.soundBegin() : 0;
    m_end = m_placement.joinAfter ? std::max(m_begin, spoken.soundEnd()) : std::numeric_limits<qint64>::max();
    const double ratio = static_cast<double>(m_outputRate) / inputRate;
    for (SynthEvent event : spoken.events()) {
        if ((event.sample < m_begin || event.sample >= m_end) && event.type == SynthEvent::Type::Phoneme
            && event.name.isEmpty())
            continue; // a pause that is cut off
        event.sample = std::llround(static_cast<double>(std::clamp(event.sample, m_begin, m_end) - m_begin) * ratio);
        m_events.push_back(event);
    }
}

// The samples kept, as floats, with the piece's volume and a fade of a few milliseconds at a cut
// edge, which would click otherwise.
std::vector<float> FliteStream::prepared(const int16_t* samples, qint64 start, qint64 count) const
{
    const qint64 from = std::max(start, m_begin);
    const qint64 to = std::min(start + count, m_end);
    const qint64 fade = m_inputRate / 200;
    std::vector<float> out;
    out.reserve(static_cast<size_t>(std::max<qint64>(0, to - from)));
    for (qint64 i = from; i < to; ++i) {
        double gain = m_piece.volume / 32768.0;
        if (m_placement.joinBefore && i - m_begin < fade)
            gain *= static_cast<double>(i - m_begin) / static_cast<double>(fade);
        if (m_placement.joinAfter && m_end - i <= fade)
            gain *= static_cast<double>(m_end - i - 1) / static_cast<double>(fade);
        out.push_back(static_cast<float>(samples[i - start] * gain));
    }
    return out;
}

bool FliteStream::take(
    cst_utterance_struct* utterance, const int16_t* samples, int inputRate, qint64 start, qint64 count, bool last)
{
    if (!started())
        open(utterance, inputRate);
    if (m_finished)
        return true;
    m_taken = start + count;
    last = last || start + count >= m_end;
    std::vector<float> in = prepared(samples, start, count);
    // At the end the converter gives back what it still holds.
    const std::vector<float> out = m_converter ? m_converter->convert(in, last) : std::move(in);
    std::vector<int16_t> converted(out.size());
    std::transform(out.begin(), out.end(), converted.begin(), pcm16);
    m_finished = last;
    return deliver(std::move(converted), last);
}

bool FliteStream::deliver(std::vector<int16_t> samples, bool last)
{
    m_produced += static_cast<qint64>(samples.size());
    std::vector<SynthEvent> events;
    for (; m_nextEvent < m_events.size() && (last || m_events[m_nextEvent].sample < m_produced); ++m_nextEvent) {
        SynthEvent event = m_events[m_nextEvent];
        event.sample = m_placement.base + std::min(event.sample, m_produced);
        events.push_back(event);
    }
    if (samples.empty() && events.empty())
        return true;
    return m_sink(samples, events);
}
