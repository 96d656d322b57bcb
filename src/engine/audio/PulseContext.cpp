#include "engine/audio/PulseContext.h"

#include <algorithm>

namespace {

// A server that went away is looked for again this often; a caller that needs it tries at once.
constexpr pa_usec_t kRetryUsec = 500 * PA_USEC_PER_MSEC;

} // namespace

PulseContext::PulseContext(const char* applicationName)
    : m_name(applicationName)
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return;
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
        return;
    }
    std::lock_guard pulse(*this);
    connect();
}

PulseContext::~PulseContext()
{
    if (!m_loop)
        return;
    {
        std::lock_guard pulse(*this);
        if (m_retry)
            pa_threaded_mainloop_get_api(m_loop)->time_free(m_retry);
        m_retry = nullptr;
        dropContext();
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void PulseContext::lock()
{
    if (m_loop)
        pa_threaded_mainloop_lock(m_loop);
}

void PulseContext::unlock()
{
    if (m_loop)
        pa_threaded_mainloop_unlock(m_loop);
}

pa_context* PulseContext::readyContext()
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY ? m_context : nullptr;
}

int PulseContext::connections() const
{
    std::lock_guard guard(m_mutex);
    return m_connections;
}

void PulseContext::connect()
{
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), m_name.constData());
    if (!m_context) {
        scheduleRetry();
        return;
    }
    pa_context_set_state_callback(m_context, &PulseContext::onState, this);
    pa_context_set_subscribe_callback(m_context, &PulseContext::onEvent, this);
    {
        std::lock_guard guard(m_mutex);
        m_connecting = true;
    }
    // The desktop starts its own server; spawning one from here would hide that it is gone.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        stateChanged();
}

void PulseContext::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    forgetConnection();
    m_changed.notify_all();
}

void PulseContext::forgetConnection()
{
    std::lock_guard guard(m_mutex);
    m_ready = false;
    m_connecting = false;
    m_answered = m_requested; // replies to a lost connection never come
    m_sinks.clear();
    m_incoming.clear();
}

void PulseContext::scheduleRetry()
{
    if (m_retry)
        return;
    timeval when {};
    pa_timeval_add(pa_gettimeofday(&when), kRetryUsec);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    m_retry = api->time_new(api, &when, &PulseContext::onRetry, this);
}

void PulseContext::onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self)
{
    static_cast<PulseContext*>(self)->reconnectNow();
}

// Runs the pending retry at once. Called with the loop locked.
void PulseContext::reconnectNow()
{
    pa_threaded_mainloop_get_api(m_loop)->time_free(m_retry);
    m_retry = nullptr;
    dropContext();
    connect();
}

void PulseContext::onState(pa_context*, void* self)
{
    static_cast<PulseContext*>(self)->stateChanged();
}

void PulseContext::stateChanged()
{
    const pa_context_state_t state = pa_context_get_state(m_context);
    if (state == PA_CONTEXT_READY) {
        if (pa_operation* op = pa_context_subscribe(m_context,
                pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER), nullptr, nullptr))
            pa_operation_unref(op);
        {
            std::lock_guard guard(m_mutex);
            m_ready = true;
            m_connecting = false;
            ++m_connections;
        }
        requestSinks();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        forgetConnection();
        // The context is let go on the retry, outside its own callback.
        scheduleRetry();
    }
    m_changed.notify_all();
}

void PulseContext::onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self)
{
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SERVER)
        static_cast<PulseContext*>(self)->requestSinks();
}

int PulseContext::requestSinks()
{
    pa_context* context = readyContext();
    if (!context)
        return 0;
    // Replies come in the order asked, so the default sink's name is known when the list ends.
    pa_operation* server = pa_context_get_server_info(context, &PulseContext::onServerInfo, this);
    pa_operation* list = pa_context_get_sink_info_list(context, &PulseContext::onSinkInfo, this);
    if (server)
        pa_operation_unref(server);
    if (!list)
        return 0;
    pa_operation_unref(list);
    std::lock_guard guard(m_mutex);
    return ++m_requested;
}

void PulseContext::onServerInfo(pa_context*, const pa_server_info* info, void* self)
{
    auto* context = static_cast<PulseContext*>(self);
    std::lock_guard guard(context->m_mutex);
    context->m_defaultSink = info && info->default_sink_name ? QByteArray(info->default_sink_name) : QByteArray();
}

void PulseContext::onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    auto* context = static_cast<PulseContext*>(self);
    if (eol != 0) {
        context->sinksEnded(eol > 0);
        return;
    }
    if (!info || !info->name)
        return;
    const QString description = info->description && *info->description ? QString::fromUtf8(info->description)
                                                                        : QString::fromUtf8(info->name);
    std::lock_guard guard(context->m_mutex);
    context->m_incoming.push_back({ QByteArray(info->name), description, false });
}

void PulseContext::sinksEnded(bool complete)
{
    {
        std::lock_guard guard(m_mutex);
        std::vector<AudioDeviceInfo> list = std::exchange(m_incoming, {});
        if (complete) {
            for (AudioDeviceInfo& sink : list)
                sink.isDefault = !m_defaultSink.isEmpty() && sink.id == m_defaultSink;
            std::stable_partition(list.begin(), list.end(), [](const AudioDeviceInfo& s) { return s.isDefault; });
            m_sinks = std::move(list);
        }
        ++m_answered;
    }
    m_changed.notify_all();
}

bool PulseContext::waitUntilReady(std::chrono::milliseconds timeout)
{
    if (!m_loop)
        return false;
    {
        std::lock_guard pulse(*this);
        if (readyContext())
            return true;
        if (m_retry)
            reconnectNow();
    }
    std::unique_lock guard(m_mutex);
    m_changed.wait_for(guard, timeout, [this] { return m_ready || !m_connecting; });
    return m_ready;
}

std::vector<AudioDeviceInfo> PulseContext::sinks(std::chrono::milliseconds timeout)
{
    if (!waitUntilReady(timeout))
        return {};
    int ticket = 0;
    {
        std::lock_guard pulse(*this);
        ticket = requestSinks();
    }
    std::unique_lock guard(m_mutex);
    m_changed.wait_for(guard, timeout, [&] { return m_answered >= ticket; });
    return m_sinks;
}
