#pragma once

#include "engine/audio/AudioOutputProvider.h"
#include "engine/audio/PulseOutputProvider.h"

#include <QtGlobal>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

// What the device benchmarks share: a copy of the audio the engine hands to the device, and the
// search for that audio in the sink's monitor recording.
namespace bench {

// Keeps a copy of what the engine hands to the device, in play order.
class TeeSource final : public PcmSource {
public:
    TeeSource(PcmSource& inner, std::vector<char>& copy, std::mutex& mutex)
        : m_inner(inner)
        , m_copy(copy)
        , m_mutex(mutex)
    {
    }
    qint64 readPcm(char* data, qint64 maxBytes) override
    {
        const qint64 n = m_inner.readPcm(data, maxBytes);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_copy.insert(m_copy.end(), data, data + n);
        }
        return n;
    }

private:
    PcmSource& m_inner;
    std::vector<char>& m_copy;
    std::mutex& m_mutex;
};

class TeeProvider final : public AudioOutputProvider {
public:
    std::vector<AudioDeviceInfo> outputs() const override { return m_real.outputs(); }
    std::unique_ptr<AudioDeviceSink> open(
        const QByteArray& deviceId, const PcmFormat& format, PcmSource& source) override
    {
        m_sources.push_back(std::make_unique<TeeSource>(source, m_copy, m_mutex));
        return m_real.open(deviceId, format, *m_sources.back());
    }
    qint64 size() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<qint64>(m_copy.size() / 2);
    }
    std::vector<int16_t> samples() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<int16_t> out(m_copy.size() / 2);
        std::memcpy(out.data(), m_copy.data(), out.size() * 2);
        return out;
    }

private:
    PulseOutputProvider m_real;
    std::vector<std::unique_ptr<TeeSource>> m_sources; // outlive the sinks: the voice drops those first
    mutable std::mutex m_mutex;
    std::vector<char> m_copy;
};

struct Match {
    qint64 shift = 0; // recording index minus handed index
    double correlation = 0;
};

// The shift in [from, to] at which a window of the handed audio best matches the recording.
Match bestShift(const std::vector<int16_t>& handed, qint64 begin, qint64 length, const std::vector<int16_t>& recording,
    qint64 from, qint64 to);
// The first sample from `from` on louder than threshold; -1 when none is.
qint64 firstLoud(const std::vector<int16_t>& samples, qint64 from, int threshold);

// Runs the event loop for ms milliseconds.
void settle(int ms);

} // namespace bench
