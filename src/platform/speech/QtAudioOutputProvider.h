#pragma once

#include "AudioOutputProvider.h"
#include "RetiredAudioSinks.h"

#include <QAudioFormat>
#include <memory>

// The output devices Qt Multimedia knows (PulseAudio on Linux), played through QtAudioDeviceSink.
// Needs a Qt application object on the thread that uses it.
class QtAudioOutputProvider final : public AudioOutputProvider {
public:
    std::vector<AudioDeviceInfo> outputs() const override;
    std::unique_ptr<AudioDeviceSink> open(
        const QByteArray& deviceId, const PcmFormat& format, PcmSource& source) override;

    // The Qt layout of format, or an invalid QAudioFormat when it is not 8/16-bit mono/stereo PCM.
    static QAudioFormat toQtFormat(const PcmFormat& format);

private:
    // Outlives every sink this provider opened.
    std::unique_ptr<RetiredAudioSinks> m_retired = std::make_unique<RetiredAudioSinks>();
};
