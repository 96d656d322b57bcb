#include "engine/pipeline/StreamWriter.h"

#include "engine/api/SpFileStream.h"
#include "engine/audio/DeviceOutput.h"

StreamWriter::StreamWriter(
    SpFileStream* file, DeviceOutput& device, const PcmFormat& format, quint64 generation, qint64 frames)
    : m_file(file)
    , m_device(device)
    , m_format(format)
    , m_generation(generation)
    , m_frames(frames)
{
}

bool StreamWriter::write(const std::vector<int16_t>& frames)
{
    if (frames.empty())
        return true;
    if (m_file)
        m_file->write(frames);
    else if (!m_device.write(m_format, frames, m_generation))
        return false;
    m_frames += static_cast<qint64>(frames.size()) / m_format.channels;
    return true;
}
