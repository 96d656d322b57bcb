#include "QtAudioOutputProvider.h"

#include "PlatformError.h"
#include "QtAudioDeviceSink.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSet>

namespace {

// Qt's order with the default device moved to the front.
QList<QAudioDevice> orderedOutputs()
{
    QList<QAudioDevice> devices = QMediaDevices::audioOutputs();
    const QByteArray defaultId = QMediaDevices::defaultAudioOutput().id();
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (devices[i].id() == defaultId) {
            devices.move(i, 0);
            break;
        }
    }
    return devices;
}

QString formatText(const PcmFormat& format)
{
    return QStringLiteral("%1 Hz, %2-bit, %3 channel(s)")
        .arg(format.sampleRate)
        .arg(format.bitsPerSample)
        .arg(format.channels);
}

} // namespace

QAudioFormat QtAudioOutputProvider::toQtFormat(const PcmFormat& format)
{
    QAudioFormat qt;
    if (format.sampleRate <= 0 || (format.channels != 1 && format.channels != 2))
        return qt;
    if (format.bitsPerSample == 8)
        qt.setSampleFormat(QAudioFormat::UInt8);
    else if (format.bitsPerSample == 16)
        qt.setSampleFormat(QAudioFormat::Int16);
    else
        return qt;
    qt.setSampleRate(format.sampleRate);
    qt.setChannelCount(format.channels);
    return qt;
}

std::vector<AudioDeviceInfo> QtAudioOutputProvider::outputs() const
{
    const QByteArray defaultId = QMediaDevices::defaultAudioOutput().id();
    std::vector<AudioDeviceInfo> result;
    QSet<QString> used;
    for (const QAudioDevice& device : orderedOutputs()) {
        const QString base = device.description().isEmpty() ? QString::fromUtf8(device.id()) : device.description();
        QString description = base;
        for (int n = 2; used.contains(description); ++n)
            description = QStringLiteral("%1 (%2)").arg(base).arg(n);
        used.insert(description);
        result.push_back({ device.id(), description, !defaultId.isEmpty() && device.id() == defaultId });
    }
    return result;
}

std::unique_ptr<AudioDeviceSink> QtAudioOutputProvider::open(
    const QByteArray& deviceId, const PcmFormat& format, PcmSource& source)
{
    const QList<QAudioDevice> devices = orderedOutputs();
    if (devices.isEmpty())
        throw PlatformError(QStringLiteral("No audio output device is available."));
    QAudioDevice device;
    if (deviceId.isEmpty()) {
        device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            device = devices.first();
    } else {
        for (const QAudioDevice& candidate : devices) {
            if (candidate.id() == deviceId)
                device = candidate;
        }
        if (device.isNull())
            throw PlatformError(
                QStringLiteral("There is no audio output device “%1”.").arg(QString::fromUtf8(deviceId)));
    }
    const QAudioFormat qtFormat = toQtFormat(format);
    if (!qtFormat.isValid() || !device.isFormatSupported(qtFormat))
        throw PlatformError(QStringLiteral("The audio output device “%1” cannot play %2.")
                                .arg(device.description(), formatText(format)));
    return std::make_unique<QtAudioDeviceSink>(device, qtFormat, source, *m_retired);
}
