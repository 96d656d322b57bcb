#pragma once

#include "engine/audio/PcmFormat.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

struct AudioDeviceInfo {
    QByteArray id; // stable while the device exists
    QString description; // readable and unique among the listed devices
    bool isDefault = false;
};

// Supplies the PCM bytes a device plays. The engine implements it; the sink calls it on the
// thread it lives on, and it never blocks.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Copies up to maxBytes of whole frames into data; returns the count, 0 when nothing is ready.
    virtual qint64 readPcm(char* data, qint64 maxBytes) = 0;
};

// One open playback of one PCM format on one device. Lives on the UI thread.
class AudioDeviceSink {
public:
    virtual ~AudioDeviceSink() = default;
    virtual void suspend() = 0; // stops the clock; nothing pulled is lost
    virtual void resume() = 0;
    virtual void discard() = 0; // drops what was pulled and not yet played, at once
    // Bytes pulled from the source that have not reached the speaker yet (an estimate from the
    // device's own latency); the engine subtracts it from what it handed over.
    virtual qint64 pendingBytes() const = 0;
    virtual bool failed() const = 0; // the device or its server went away
    virtual QString errorString() const = 0;
};

// Lists the output devices and opens sinks on them. The real one is the sound server's
// (PulseOutputProvider); tests may stand in a provider without devices.
class AudioOutputProvider {
public:
    virtual ~AudioOutputProvider() = default;
    virtual std::vector<AudioDeviceInfo> outputs() const = 0; // the default first
    // Starts pulling from source at once. Throws PlatformError with a description on failure.
    virtual std::unique_ptr<AudioDeviceSink> open(
        const QByteArray& deviceId, const PcmFormat& format, PcmSource& source)
        = 0;
};
