#pragma once

#include "engine/api/VoiceCatalog.h"
#include "engine/audio/DeviceOutput.h"
#include "engine/pipeline/EventQueue.h"
#include "engine/pipeline/SpeechSchedule.h"
#include "engine/synth/SynthesizerBackend.h"

#include <functional>
#include <thread>

class StreamWriter;

// The one thread that synthesises: takes requests in turn, speaks each chunk through the
// synthesiser and the audio pipeline into the device buffer or the file, and queues the events.
// It stays a bounded distance ahead of playback (the device buffer and the event queue block it).
class SpeechWorker {
public:
    SpeechWorker(SpeechSchedule& schedule, SynthesizerBackend& backend, const VoiceCatalog& voices,
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
    std::optional<ChunkCursor> chunkStart(SpeechRequest& request, size_t index);
    Chunk chunkAt(SpeechRequest& request, size_t index, ChunkCursor cursor, int rate);
    bool speak(
        const Job& job, const Chunk& chunk, int rate, const QString& voiceId, StreamWriter& out, qint64 deviceBase);
    bool speakOnce(
        const Job& job, const Chunk& chunk, int rate, const QString& voiceId, StreamWriter& out, qint64 deviceBase);
    SynthesizerBackend::Settings settings(const QString& voiceId, int rate, bool speakPunctuation) const;
    bool push(std::vector<SpeechEvent> events, const Job& job, qint64 deviceBase);
    bool waitWhilePaused(const Job& job);
    bool current(quint64 generation);

    SpeechSchedule& m_schedule;
    SynthesizerBackend& m_backend;
    const VoiceCatalog& m_voices;
    DeviceOutput& m_device;
    EventQueue& m_events;
    std::function<void()> m_notify;
    std::thread m_thread;
};
