#include "engine/synth/SynthesizerProcess.h"

#include "engine/synth/SynthProtocol.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef PARLORA_SYNTH_BUILT
#define PARLORA_SYNTH_BUILT ""
#endif
// The installed helper's folder relative to the installed program's, e.g. ../libexec/parlora.
#ifndef PARLORA_SYNTH_INSTALLED
#define PARLORA_SYNTH_INSTALLED ""
#endif

namespace {
QString helperGone()
{
    return QStringLiteral("The speech synthesiser stopped unexpectedly.");
}
QString unreadable()
{
    return QStringLiteral("The speech synthesiser sent a message that cannot be read.");
}
} // namespace

SynthesizerProcess::SynthesizerProcess()
    : SynthesizerProcess(Options {})
{
}

SynthesizerProcess::SynthesizerProcess(Options options)
    : m_options(std::move(options))
{
    const SynthProtocol::Ready ready = SynthProtocol::readReady(start());
    if (ready.sampleRate <= 0)
        abandon(QStringLiteral("The speech synthesiser reported no sample rate."));
    m_sampleRate = ready.sampleRate;
    m_voices = ready.voices;
}

SynthesizerProcess::~SynthesizerProcess() = default;

QString SynthesizerProcess::defaultHelper()
{
    const QString programFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return findHelper(qEnvironmentVariable("PARLORA_SYNTH_HELPER"), programFolder);
}

QString SynthesizerProcess::findHelper(const QString& chosen, const QString& programFolder)
{
    if (!chosen.isEmpty())
        return chosen;
    if (!programFolder.isEmpty()) {
        // The installed place comes before the build's own helper: an installed program must
        // never run a helper out of the folder it was once built in.
        const QDir folder(programFolder);
        for (const QString& place : { folder.filePath(QStringLiteral("parlora-synth")),
                 folder.filePath(QStringLiteral(PARLORA_SYNTH_INSTALLED "/parlora-synth")) }) {
            if (QFileInfo(place).isExecutable())
                return QDir::cleanPath(place);
        }
    }
    return QStringLiteral(PARLORA_SYNTH_BUILT);
}

void SynthesizerProcess::replace(std::unique_ptr<HelperProcess> process)
{
    m_processId = process ? process->processId() : -1;
    m_process = std::move(process);
}

template <typename Read> auto SynthesizerProcess::parsed(Read read)
{
    // A message that cannot be read leaves the helper in a state nobody knows.
    try {
        return read();
    } catch (const PlatformError& error) {
        abandon(error.description());
    }
}

QByteArray SynthesizerProcess::start()
{
    if (m_options.helper.isEmpty())
        throw PlatformError(QStringLiteral("The speech synthesiser's helper program is missing."));
    replace(std::make_unique<HelperProcess>(m_options.helper, QStringList { m_options.dataPath }));
    QByteArray announcement = await();
    if (SynthProtocol::kind(announcement) == SynthProtocol::Kind::Failed)
        abandon(parsed([&] { return SynthProtocol::readFailed(announcement); }));
    if (SynthProtocol::kind(announcement) != SynthProtocol::Kind::Ready)
        abandon(unreadable());
    return announcement;
}

QByteArray SynthesizerProcess::await()
{
    MessageChannel::Received received = m_process->channel().receive(m_options.answerTimeout);
    if (received.status == MessageChannel::Status::TimedOut)
        abandon(QStringLiteral("The speech synthesiser stopped answering."));
    if (received.status == MessageChannel::Status::Closed)
        abandon(helperGone());
    return received.message;
}

void SynthesizerProcess::tell(const QByteArray& message)
{
    if (!m_process->channel().send(message))
        abandon(helperGone());
}

void SynthesizerProcess::abandon(const QString& description)
{
    replace(nullptr);
    throw SynthesizerLost(description);
}

bool SynthesizerProcess::synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink)
{
    std::lock_guard lock(m_mutex);
    if (!m_process)
        start();
    tell(SynthProtocol::speak(ssml, settings));
    bool stopped = false;
    for (;;) {
        const QByteArray message = await();
        switch (SynthProtocol::kind(message)) {
        case SynthProtocol::Kind::Block:
            // After a stop, the blocks the helper made before it saw the stop are dropped.
            if (!stopped && !deliver(message, sink)) {
                stopped = true;
                tell(SynthProtocol::stop());
            }
            break;
        case SynthProtocol::Kind::Done:
            return parsed([&] { return SynthProtocol::readDone(message); }) && !stopped;
        case SynthProtocol::Kind::Failed:
            // The synthesiser refused this text; the helper itself is fine.
            throw PlatformError(parsed([&] { return SynthProtocol::readFailed(message); }));
        default:
            abandon(unreadable());
        }
    }
}

bool SynthesizerProcess::deliver(const QByteArray& message, const Sink& sink)
{
    const SynthProtocol::Block block = parsed([&] { return SynthProtocol::readBlock(message); });
    try {
        return sink(block.samples, block.events);
    } catch (...) {
        // The helper would go on speaking a text nobody reads.
        replace(nullptr);
        throw;
    }
}
