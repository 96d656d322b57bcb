// Preloaded into a child by tst_QtAudioOutput. It stands in for the sound server's timing in one
// respect: a stream drain asked with callback data is answered successfully only after its stream
// was disconnected, 30 ms later, on libpulse's mainloop thread, as a reply already on its way
// when the stream was stopped would be. The test reads the counters through dlsym.
#include <atomic>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <sys/time.h>
#include <vector>

extern "C" {
struct pa_stream;
struct pa_operation;
struct pa_time_event;
struct pa_threaded_mainloop;
struct pa_mainloop_api;
using pa_stream_success_cb_t = void (*)(pa_stream*, int, void*);
using pa_time_event_cb_t = void (*)(pa_mainloop_api*, pa_time_event*, const timeval*, void*);
// The head of libpulse's pa_mainloop_api, up to the time events.
struct pa_mainloop_api {
    void* userdata;
    void* io[4];
    pa_time_event* (*time_new)(pa_mainloop_api*, const timeval*, pa_time_event_cb_t, void*);
    void* time_restart;
    void (*time_free)(pa_time_event*);
};
}

namespace {
struct Held {
    pa_stream* stream;
    pa_stream_success_cb_t callback;
    void* data;
};

std::mutex guard;
std::vector<Held> held;
pa_mainloop_api* api = nullptr;
std::atomic<int> heldCount { 0 }, deliveredCount { 0 };

template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void deliver(pa_mainloop_api* a, pa_time_event* event, const timeval*, void* data)
{
    const Held* late = static_cast<Held*>(data);
    late->callback(late->stream, 1, late->data);
    std::fprintf(stderr, "late drain reply delivered to %p\n", late->data);
    ++deliveredCount;
    delete late;
    a->time_free(event);
}
} // namespace

extern "C" {
__attribute__((visibility("default"))) int late_drain_reply_held()
{
    return heldCount;
}
__attribute__((visibility("default"))) int late_drain_reply_delivered()
{
    return deliveredCount;
}

__attribute__((visibility("default"))) pa_mainloop_api* pa_threaded_mainloop_get_api(pa_threaded_mainloop* m)
{
    static const auto next = real<pa_mainloop_api* (*)(pa_threaded_mainloop*)>("pa_threaded_mainloop_get_api");
    api = next(m);
    return api;
}

__attribute__((visibility("default"))) pa_operation* pa_stream_drain(
    pa_stream* stream, pa_stream_success_cb_t callback, void* data)
{
    static const auto next = real<pa_operation* (*)(pa_stream*, pa_stream_success_cb_t, void*)>("pa_stream_drain");
    if (!callback || !data)
        return next(stream, callback, data);
    {
        std::lock_guard lock(guard);
        held.push_back({ stream, callback, data });
    }
    ++heldCount;
    // The server is still asked, but its answer goes nowhere.
    return next(stream, nullptr, nullptr);
}

__attribute__((visibility("default"))) int pa_stream_disconnect(pa_stream* stream)
{
    static const auto next = real<int (*)(pa_stream*)>("pa_stream_disconnect");
    std::lock_guard lock(guard);
    for (auto it = held.begin(); it != held.end();) {
        if (it->stream != stream || !api) {
            ++it;
            continue;
        }
        timeval due;
        gettimeofday(&due, nullptr);
        due.tv_usec += 30000;
        due.tv_sec += due.tv_usec / 1000000;
        due.tv_usec %= 1000000;
        // The caller holds the mainloop's lock, as libpulse asks for here.
        api->time_new(api, &due, deliver, new Held(*it));
        it = held.erase(it);
    }
    return next(stream);
}
}
