#include "SubtitleTrack.h"

#include "engine/api/SpVoice.h"
#include "engine/api/SpokenText.h"

SubtitleTrack::SubtitleTrack(SpVoice& voice, int stream, const PcmFormat& format)
    : m_stream(stream)
    , m_format(format)
{
    QObject::connect(&voice, &SpVoice::Sentence, &m_context,
        [this](int number, const QVariant& streamPosition, int position, int length) {
            if (number == m_stream)
                m_marks.push_back({ { milliseconds(streamPosition.toLongLong()), position, length }, {} });
        });
    QObject::connect(&voice, &SpVoice::Word, &m_context,
        [this](int number, const QVariant& streamPosition, int position, int length) {
            if (number == m_stream && !m_marks.empty())
                m_marks.back().words.push_back({ milliseconds(streamPosition.toLongLong()), position, length });
        });
}

qint64 SubtitleTrack::milliseconds(qint64 bytes) const
{
    const qint64 frames = bytes / m_format.bytesPerFrame();
    return frames * 1000 / m_format.sampleRate;
}

std::vector<TimedSentence> SubtitleTrack::sentences(const SpokenText& text, qint64 endPosition) const
{
    std::vector<TimedSentence> result;
    for (const SentenceMarks& marks : m_marks) {
        TimedSentence sentence = timed(marks, text);
        if (!sentence.pieces.empty())
            result.push_back(std::move(sentence));
    }
    // Each sentence lasts until the next one is heard, the last until the speech ends.
    const qint64 end = milliseconds(endPosition);
    for (size_t i = 0; i < result.size(); ++i)
        result[i].end = std::max(result[i].start, i + 1 < result.size() ? result[i + 1].start : end);
    return result;
}

TimedSentence SubtitleTrack::timed(const SentenceMarks& marks, const SpokenText& text)
{
    const Mark& sentence = marks.sentence;
    const int sentenceEnd = sentence.position + sentence.length;
    TimedSentence result;
    const auto add = [&](qint64 time, int from, int to) {
        QString piece = text.span(from, std::max(0, to - from)).simplified();
        if (!piece.isEmpty())
            result.pieces.push_back({ time, std::move(piece) });
    };
    if (marks.words.empty()) {
        add(sentence.milliseconds, sentence.position, sentenceEnd);
    } else {
        // What comes before the first word (an opening quote) goes with it.
        int from = std::min(sentence.position, marks.words.front().position);
        for (size_t i = 0; i < marks.words.size(); ++i) {
            const int to = i + 1 < marks.words.size()
                ? marks.words[i + 1].position
                : std::max(sentenceEnd, marks.words[i].position + marks.words[i].length);
            add(marks.words[i].milliseconds, from, to);
            from = to;
        }
    }
    if (!result.pieces.empty())
        result.start = result.pieces.front().milliseconds;
    return result;
}
