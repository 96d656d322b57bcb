#pragma once

#include "engine/api/SpStream.h"
#include "engine/markup/MarkupReader.h"
#include "engine/markup/SpeechChunker.h"

#include <memory>
#include <vector>

// One Speak call on its way through the engine: the text, its reading, where it goes.
struct SpeechRequest {
    SpeechRequest(int streamNumber, QString spokenText, MarkupDocument doc, bool punctuation, QString language)
        : stream(streamNumber)
        , text(std::move(spokenText))
        , document(std::move(doc))
        , speakPunctuation(punctuation)
        , chunker(text, document, punctuation, std::move(language))
    {
    }
    SpeechRequest(const SpeechRequest&) = delete;
    SpeechRequest& operator=(const SpeechRequest&) = delete;

    const int stream;
    const QString text;
    const MarkupDocument document;
    const bool speakPunctuation;
    const SpeechChunker chunker;
    QString voiceTokenId; // the voice at Speak time
    std::shared_ptr<SpStream> target; // a file stream, or null for the device
    PcmFormat format;

    // Guarded by the schedule's mutex.
    std::vector<ChunkCursor> chunkStarts; // chunk i begins at chunkStarts[i], as found so far
    bool started = false; // its StartStream has been raised
};
