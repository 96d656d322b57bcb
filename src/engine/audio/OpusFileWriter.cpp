#include "engine/audio/OpusFileWriter.h"

#include "engine/audio/FileDescriptorOutput.h"
#include "platform/PlatformError.h"

#include <opusenc.h>

namespace {

int writePage(void* user, const unsigned char* page, opus_int32 length)
{
    return static_cast<FileDescriptorOutput*>(user)->write(page, static_cast<size_t>(length)) ? 0 : 1;
}

// The writer closes the descriptor itself, once it has heard how the last page went.
int keepOpen(void* /*user*/)
{
    return 0;
}

int bandwidthOf(int fileRate)
{
    if (fileRate <= 8000)
        return OPUS_BANDWIDTH_NARROWBAND;
    if (fileRate <= 12000)
        return OPUS_BANDWIDTH_MEDIUMBAND;
    if (fileRate <= 16000)
        return OPUS_BANDWIDTH_WIDEBAND;
    if (fileRate <= 24000)
        return OPUS_BANDWIDTH_SUPERWIDEBAND;
    return OPUS_BANDWIDTH_FULLBAND;
}

} // namespace

OpusFileWriter::OpusFileWriter(int fd, const PcmFormat& format, const QString& title)
    : m_out(std::make_unique<FileDescriptorOutput>(fd))
    , m_channels(format.channels)
{
    OggOpusComments* comments = ope_comments_create();
    if (comments && !title.isEmpty())
        ope_comments_add(comments, "TITLE", title.toUtf8().constData());
    const OpusEncCallbacks callbacks { writePage, keepOpen };
    int error = OPE_ALLOC_FAIL;
    if (comments) {
        m_encoder = ope_encoder_create_callbacks(
            &callbacks, m_out.get(), comments, format.sampleRate, format.channels, 0, &error);
        ope_comments_destroy(comments); // the encoder keeps a copy
    }
    if (!m_encoder) {
        m_out->release();
        throw PlatformError(QStringLiteral("The Opus encoder could not start: %1").arg(ope_strerror(error)));
    }
    tune(AudioFileKinds::fileRate(AudioFileKind::Opus, format.sampleRate), format.channels);
}

OpusFileWriter::~OpusFileWriter()
{
    if (m_encoder)
        ope_encoder_destroy(m_encoder);
}

void OpusFileWriter::tune(int fileRate, int channels)
{
    ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(bitsPerSecondPerChannel * channels));
    ope_encoder_ctl(m_encoder, OPUS_SET_VBR(1));
    ope_encoder_ctl(m_encoder, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
    ope_encoder_ctl(m_encoder, OPUS_SET_COMPLEXITY(complexity));
    // libopusenc reads and sets back an encoder setting every packet, and each such call makes
    // libopus detect the processor again, which under virtualisation costs as much as coding the
    // packet. A file needs no short packets: the longest ones make those calls rare.
    ope_encoder_ctl(m_encoder, OPUS_SET_EXPERT_FRAME_DURATION(OPUS_FRAMESIZE_120_MS));
    // Nothing above the rate's half is in the stream: no bits are spent looking for it.
    ope_encoder_ctl(m_encoder, OPUS_SET_MAX_BANDWIDTH(bandwidthOf(fileRate)));
}

QString OpusFileWriter::write(std::span<const int16_t> frames)
{
    if (!m_encoder)
        return QStringLiteral("The file is closed.");
    const auto count = static_cast<int>(frames.size() / static_cast<size_t>(m_channels));
    return failure(ope_encoder_write(m_encoder, frames.data(), count));
}

QString OpusFileWriter::close()
{
    if (!m_encoder)
        return {};
    QString problem = failure(ope_encoder_drain(m_encoder));
    ope_encoder_destroy(m_encoder);
    m_encoder = nullptr;
    const QString closing = m_out->close();
    return problem.isEmpty() ? closing : problem;
}

// The descriptor's reason comes first: the encoder only knows that a page was not written.
QString OpusFileWriter::failure(int error) const
{
    if (QString io = m_out->failure(); !io.isEmpty())
        return io;
    return error == OPE_OK ? QString() : QStringLiteral("The Opus encoder failed: %1").arg(ope_strerror(error));
}
