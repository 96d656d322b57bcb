#pragma once

#include "engine/api/VoiceCatalog.h"
#include "engine/audio/DeviceOutput.h"
#include "engine/pipeline/ChunkLookahead.h"
#include "engine/pipeline/EventQueue.h"
#include "engine/pipeline/SpeechSchedule.h"
#include "engine/pipeline/SynthesizerPool.h"

#include <functional>
#include <thread>

class StreamWriter;

// The thread that renders speech: takes requests in turn, hands each chunk to the synthesisers
// ahead of its turn, plays their audio in order through the audio pipeline into the device
// buffer or the file, and queues the events. It stays a bounded distance ahead of playback (the
// device buffer and the event queue block it); a file has every synthesiser at work at once.
class SpeechWorker {
public:
    SpeechWorker(SpeechSchedule& schedule, SynthesizerPool& synthesizers, const VoiceCatalog& voices,
        DeviceOutput& device, EventQueue& events, std::function<void()> notify);
    ~SpeechWorker(); // stops and joins

    static int wordsPerMinute(int rate); // −10..10 → about a third to three times the normal speed
    static double slowdown(int rate); // what time stretching adds below the synthesiser's slowest rate

private:
    struct Job {
        std::shared_ptr<SpeechRequest> request;
        size_t chunk = 0;
        qint64 streamBytes = 0;
        quint64 generation = 0;
        bool resumed = false; // restarted by a skip: its StartStream was raised already
    };
    void run();
    std::optional<Job> nextJob();
    bool render(const Job& job); // false when superseded
    std::optional<qint64> deviceBase(const Job& job); // the device offset of the stream's start
    bool renderChunks(const Job& job, StreamWriter& out, qint64 deviceBase);
    std::optional<HandedOutChunk> handOut(SpeechRequest& request, size_t index, int rate, bool awaited);
    std::optional<ChunkCursor> chunkStart(SpeechRequest& request, size_t index);
    Chunk chunkAt(SpeechRequest& request, size_t index, ChunkCursor cursor, int rate);
    bool speak(const Job& job, const HandedOutChunk& chunk, StreamWriter& out, qint64 deviceBase);
    bool speakOnce(const Job& job, const HandedOutChunk& chunk, StreamWriter& out, qint64 deviceBase);
    SynthesizerBackend::Settings settings(const QString& voiceId, int rate, bool speakPunctuation, bool awaited) const;
    bool push(std::vector<SpeechEvent> events, const Job& job, qint64 deviceBase);
    bool waitWhilePaused(const Job& job);
    bool current(quint64 generation);

    SpeechSchedule& m_schedule;
    SynthesizerPool& m_synthesizers;
    const VoiceCatalog& m_voices;
    DeviceOutput& m_device;
    EventQueue& m_events;
    std::function<void()> m_notify;
    std::thread m_thread;
};
