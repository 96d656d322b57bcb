#pragma once

#include "engine/audio/AudioOutputProvider.h"

#include <QSet>
#include <memory>

class PulseContext;

// The sinks of the sound server (PulseAudio, or PipeWire through pipewire-pulse), played through
// PulseDeviceSink. The connection is kept by PulseContext and survives a server restart.
class PulseOutputProvider final : public AudioOutputProvider {
public:
    PulseOutputProvider();
    ~PulseOutputProvider() override;

    std::vector<AudioDeviceInfo> outputs() const override;
    std::unique_ptr<AudioDeviceSink> open(
        const QByteArray& deviceId, const PcmFormat& format, PcmSource& source) override;

    // How many times the connection to the server became ready.
    int connections() const;

private:
    // Shared with the sinks, which may outlive this provider.
    std::shared_ptr<PulseContext> m_context;
    // Every device listed so far. One of them that went away is played on the default, as the
    // server does with its streams; a name never listed is refused.
    mutable QSet<QByteArray> m_listed;
};
