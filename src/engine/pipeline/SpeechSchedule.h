#pragma once

#include "engine/pipeline/SpeechRequest.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// What the UI thread and the worker share: the streams not yet ended, how far rendering has
// gone, and the generation that a purge or skip advances to void everything rendered before.
struct SpeechSchedule {
    struct Rewind {
        size_t chunk = 0;
        qint64 streamBytes = 0; // the stream position playback had reached
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::shared_ptr<SpeechRequest>> requests; // front: the stream being played
    size_t renderIndex = 0; // the request the worker renders
    std::optional<Rewind> rewind; // where the worker restarts the front request
    std::atomic<quint64> generation { 1 };
    bool paused = false;
    bool quit = false;

    std::atomic<int> rate { 0 };
    std::atomic<int> volume { 100 };
};
