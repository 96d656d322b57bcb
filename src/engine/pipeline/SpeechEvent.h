#pragma once

#include <QString>

// One voice event on its way from the worker to the UI thread.
struct SpeechEvent {
    enum class Kind {
        StartStream,
        EndStream,
        VoiceChange,
        Bookmark,
        Word,
        Sentence,
        Phoneme,
        Viseme,
        AudioLevel,
        EnginePrivate,
        Trouble, // the synthesiser was lost: a = 1 when a new one went on; text describes it
    };
    Kind kind = Kind::StartStream;
    int stream = 0;
    qint64 position = 0; // byte offset in the stream's own format
    qint64 due = -1; // device byte offset playback must reach first; -1 raises it at once
    int a = 0, b = 0, c = 0, d = 0; // the event's numbers, in signal order
    QString text; // bookmark name, or the voice token's Id
    int chunk = -1; // sentence events: the chunk they open
};
