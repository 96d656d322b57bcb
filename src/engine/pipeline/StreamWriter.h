#pragma once

#include "engine/audio/PcmFormat.h"

#include <QtGlobal>
#include <cstdint>
#include <vector>

class DeviceOutput;
class SpFileStream;

// Where one stream's frames go, its file or else the device buffer, and how many have gone:
// the stream's position, which its events carry.
class StreamWriter {
public:
    // file: null for the device. frames: how far the stream has got already (a resumed stream).
    StreamWriter(SpFileStream* file, DeviceOutput& device, const PcmFormat& format, quint64 generation, qint64 frames);

    // Appends interleaved 16-bit frames. False when the device's generation was superseded; a
    // file that cannot be written throws PlatformError.
    bool write(const std::vector<int16_t>& frames);
    qint64 frames() const { return m_frames; }
    qint64 bytes() const { return m_frames * m_format.bytesPerFrame(); }
    const PcmFormat& format() const { return m_format; }

private:
    SpFileStream* m_file;
    DeviceOutput& m_device;
    PcmFormat m_format;
    quint64 m_generation;
    qint64 m_frames;
};
