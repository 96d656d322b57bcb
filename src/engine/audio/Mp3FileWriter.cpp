#include "engine/audio/Mp3FileWriter.h"

#include "engine/audio/FileDescriptorOutput.h"
#include "platform/PlatformError.h"

#include <lame/lame.h>

#include <unistd.h>

namespace {

// LAME's bound for the bytes a call may give back.
size_t encodedRoom(size_t frames)
{
    return frames + frames / 4 + 7200;
}

// The title as UTF-16 with its byte-order mark, as LAME's ID3v2 text frames take it.
std::vector<unsigned short> utf16Text(const QString& text)
{
    std::vector<unsigned short> units { 0xFEFF };
    for (const QChar c : text)
        units.push_back(c.unicode());
    units.push_back(0);
    return units;
}

} // namespace

Mp3FileWriter::Mp3FileWriter(int fd, const PcmFormat& format, const QString& title)
    : m_lame(lame_init())
    , m_channels(format.channels)
{
    if (!m_lame)
        throw PlatformError(QStringLiteral("The MP3 encoder could not start."));
    configure(format, title);
    if (lame_init_params(m_lame) < 0) {
        lame_close(m_lame);
        throw PlatformError(
            QStringLiteral("MP3 does not take %1 Hz with %2 channel(s).").arg(format.sampleRate).arg(format.channels));
    }
    m_out = std::make_unique<FileDescriptorOutput>(fd);
    writeTag();
}

void Mp3FileWriter::configure(const PcmFormat& format, const QString& title)
{
    lame_set_in_samplerate(m_lame, format.sampleRate);
    lame_set_out_samplerate(m_lame, format.sampleRate); // LAME would pick a lower rate of its own
    lame_set_num_channels(m_lame, format.channels);
    lame_set_mode(m_lame, format.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(m_lame, vbr_mtrh);
    lame_set_VBR_quality(m_lame, vbrQuality);
    lame_set_quality(m_lame, algorithmQuality);
    lame_set_bWriteVbrTag(m_lame, 1);
    // The ID3v2 tag is written here, so that the LAME tag's place after it is known.
    lame_set_write_id3tag_automatic(m_lame, 0);
    id3tag_init(m_lame);
    id3tag_v2_only(m_lame);
    if (!title.isEmpty())
        id3tag_set_textinfo_utf16(m_lame, "TIT2", utf16Text(title).data());
}

Mp3FileWriter::~Mp3FileWriter()
{
    if (m_lame)
        lame_close(m_lame);
}

void Mp3FileWriter::writeTag()
{
    std::vector<unsigned char> tag(lame_get_id3v2_tag(m_lame, nullptr, 0));
    if (!tag.empty())
        m_out->write(tag.data(), lame_get_id3v2_tag(m_lame, tag.data(), tag.size()));
    // A pipe or a device that cannot seek keeps LAME's empty tag frame.
    m_firstFrame = ::lseek(m_out->fd(), 0, SEEK_CUR);
}

QString Mp3FileWriter::write(std::span<const int16_t> frames)
{
    if (!m_lame)
        return QStringLiteral("The file is closed.");
    const size_t count = frames.size() / static_cast<size_t>(m_channels);
    m_encoded.resize(encodedRoom(count));
    const int room = static_cast<int>(m_encoded.size());
    const int bytes = m_channels == 1
        ? lame_encode_buffer(m_lame, frames.data(), nullptr, static_cast<int>(count), m_encoded.data(), room)
        : lame_encode_buffer_interleaved(m_lame, const_cast<short*>(frames.data()), static_cast<int>(count),
            m_encoded.data(), room); // LAME does not write to the frames
    return writeEncoded(bytes);
}

QString Mp3FileWriter::writeEncoded(int bytes)
{
    if (bytes < 0)
        return QStringLiteral("The MP3 encoder failed (%1).").arg(bytes);
    m_out->write(m_encoded.data(), static_cast<size_t>(bytes));
    return m_out->failure();
}

QString Mp3FileWriter::close()
{
    if (!m_lame)
        return {};
    m_encoded.resize(encodedRoom(0));
    QString problem = writeEncoded(lame_encode_flush(m_lame, m_encoded.data(), static_cast<int>(m_encoded.size())));
    if (problem.isEmpty())
        problem = writeLameTag();
    lame_close(m_lame);
    m_lame = nullptr;
    const QString closing = m_out->close();
    return problem.isEmpty() ? closing : problem;
}

// The first frame was left empty for the LAME tag, which counts the frames and bytes now written.
QString Mp3FileWriter::writeLameTag()
{
    if (m_firstFrame < 0)
        return {};
    std::vector<unsigned char> frame(lame_get_lametag_frame(m_lame, nullptr, 0));
    const size_t size = lame_get_lametag_frame(m_lame, frame.data(), frame.size());
    if (size > frame.size())
        return QStringLiteral("The MP3 encoder gave no LAME tag.");
    m_out->writeAt(m_firstFrame, frame.data(), size);
    return m_out->failure();
}
