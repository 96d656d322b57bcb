#pragma once

#include "engine/audio/PcmFormat.h"

#include <QObject>
#include <QString>
#include <vector>

class SpVoice;
class SpokenText;

// A stretch of a sentence from one word up to the next, and when that word is heard.
struct TimedPiece {
    qint64 milliseconds = 0;
    QString text; // blanks folded to one space, none at either end
};

// One sentence as it is heard: its words in order, from the sound of its first word to the
// start of the next sentence (or the end of the speech).
struct TimedSentence {
    qint64 start = 0;
    qint64 end = 0;
    std::vector<TimedPiece> pieces;
};

// Gathers one stream's Sentence and Word events while the voice speaks it, timed by their stream
// positions in the stream's format, for the subtitles written beside a recording.
class SubtitleTrack {
public:
    SubtitleTrack(SpVoice& voice, int stream, const PcmFormat& format);

    // The sentences with their text taken from what was spoken; endPosition is the stream's
    // length in bytes, where the last sentence ends.
    std::vector<TimedSentence> sentences(const SpokenText& text, qint64 endPosition) const;

private:
    struct Mark {
        qint64 milliseconds;
        int position;
        int length;
    };
    struct SentenceMarks {
        Mark sentence;
        std::vector<Mark> words;
    };
    qint64 milliseconds(qint64 bytes) const;
    static TimedSentence timed(const SentenceMarks& marks, const SpokenText& text);

    QObject m_context;
    int m_stream;
    PcmFormat m_format;
    std::vector<SentenceMarks> m_marks;
};
