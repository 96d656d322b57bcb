#include "engine/audio/PulseOutputProvider.h"

#include "engine/audio/PulseContext.h"
#include "engine/audio/PulseDeviceSink.h"
#include "platform/PlatformError.h"

#include <QDebug>

namespace {

// Long enough for a loaded machine, short enough that a server that stopped answering is noticed.
constexpr std::chrono::milliseconds kAnswerTimeout { 2000 };

QString formatText(const PcmFormat& format)
{
    return QStringLiteral("%1 Hz, %2-bit, %3 channel(s)")
        .arg(format.sampleRate)
        .arg(format.bitsPerSample)
        .arg(format.channels);
}

} // namespace

PulseOutputProvider::PulseOutputProvider()
    : m_context(std::make_shared<PulseContext>("Parlora"))
{
}

PulseOutputProvider::~PulseOutputProvider() = default;

int PulseOutputProvider::connections() const
{
    return m_context->connections();
}

std::vector<AudioDeviceInfo> PulseOutputProvider::outputs() const
{
    std::vector<AudioDeviceInfo> result = m_context->sinks(kAnswerTimeout);
    // Servers may give two sinks one description; the list shows them apart.
    QSet<QString> used;
    for (AudioDeviceInfo& device : result) {
        const QString base = device.description;
        for (int n = 2; used.contains(device.description); ++n)
            device.description = QStringLiteral("%1 (%2)").arg(base).arg(n);
        used.insert(device.description);
        m_listed.insert(device.id);
    }
    return result;
}

std::unique_ptr<AudioDeviceSink> PulseOutputProvider::open(
    const QByteArray& deviceId, const PcmFormat& format, PcmSource& source)
{
    const std::vector<AudioDeviceInfo> devices = outputs();
    if (devices.empty())
        throw PlatformError(QStringLiteral("No audio output device is available."));
    const AudioDeviceInfo* device = &devices.front();
    if (!deviceId.isEmpty()) {
        const auto it
            = std::find_if(devices.begin(), devices.end(), [&](const AudioDeviceInfo& d) { return d.id == deviceId; });
        if (it != devices.end())
            device = &*it;
        else if (m_listed.contains(deviceId))
            qWarning().noquote() << QStringLiteral("The audio output “%1” is gone; playing on “%2”.")
                                        .arg(QString::fromUtf8(deviceId), device->description);
        else
            throw PlatformError(
                QStringLiteral("There is no audio output device “%1”.").arg(QString::fromUtf8(deviceId)));
    }
    if (!PulseDeviceSink::sampleSpec(format))
        throw PlatformError(QStringLiteral("The audio output device “%1” cannot play %2.")
                                .arg(device->description, formatText(format)));
    return std::make_unique<PulseDeviceSink>(m_context, *device, format, source);
}
