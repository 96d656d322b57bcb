#include "engine/synth/ESpeakBackend.h"

#include "platform/PlatformError.h"

#include <espeak-ng/speak_lib.h>

#include <QDir>

namespace {
// The library keeps one global state; instances share it and take turns.
std::mutex libraryMutex;
int liveInstances = 0;
int librarySampleRate = 0;
QString libraryDataPath;
// What the library was last set to, shared like the library itself.
SynthesizerBackend::Settings appliedSettings;
bool haveApplied = false;

struct SynthCall {
    const SynthesizerBackend::Sink* sink = nullptr;
    std::vector<SynthEvent> events;
    bool stopped = false;
};

SynthEvent::Type eventType(espeak_EVENT_TYPE type)
{
    switch (type) {
    case espeakEVENT_WORD:
        return SynthEvent::Type::Word;
    case espeakEVENT_SENTENCE:
        return SynthEvent::Type::Sentence;
    case espeakEVENT_MARK:
        return SynthEvent::Type::Mark;
    default:
        return SynthEvent::Type::Phoneme;
    }
}

bool wanted(const espeak_EVENT& event)
{
    switch (event.type) {
    case espeakEVENT_WORD:
        // The library ends a message with a word of length 0 that names no word.
        return event.length > 0;
    case espeakEVENT_SENTENCE:
    case espeakEVENT_MARK:
    case espeakEVENT_PHONEME:
        return true;
    default:
        return false;
    }
}

SynthEvent convert(const espeak_EVENT& event)
{
    SynthEvent out;
    out.type = eventType(event.type);
    out.sample = event.sample;
    // Text positions are 1-based code-point counts.
    out.textPosition = std::max(0, event.text_position - 1);
    out.length = event.length;
    if (event.type == espeakEVENT_MARK && event.id.name)
        out.name = QByteArray(event.id.name);
    else if (event.type == espeakEVENT_PHONEME)
        out.name = QByteArray(event.id.string, static_cast<int>(qstrnlen(event.id.string, sizeof event.id.string)));
    return out;
}

int synthCallback(short* samples, int count, espeak_EVENT* events)
{
    SynthCall* call = nullptr;
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        call = static_cast<SynthCall*>(e->user_data);
        if (call && wanted(*e))
            call->events.push_back(convert(*e));
    }
    if (!call && events)
        call = static_cast<SynthCall*>(events->user_data);
    if (!call || call->stopped)
        return 1;
    const std::span<const int16_t> block(samples ? samples : nullptr, samples ? static_cast<size_t>(count) : 0);
    if (!(*call->sink)(block, call->events))
        call->stopped = true;
    call->events.clear();
    return call->stopped ? 1 : 0;
}

QString describe(espeak_ERROR error)
{
    switch (error) {
    case EE_BUFFER_FULL:
        return QStringLiteral("The speech synthesiser is busy.");
    case EE_NOT_FOUND:
        return QStringLiteral("The speech synthesiser could not find the voice.");
    default:
        return QStringLiteral("The speech synthesiser failed (error %1).").arg(static_cast<int>(error));
    }
}
} // namespace

ESpeakBackend::ESpeakBackend(const QString& dataPath)
{
    std::lock_guard lock(libraryMutex);
    if (liveInstances > 0 && dataPath != libraryDataPath)
        throw PlatformError(QStringLiteral("The speech synthesiser is already running with other speech data."));
    if (liveInstances == 0 && (librarySampleRate <= 0 || dataPath != libraryDataPath)) {
        if (!dataPath.isEmpty() && !QDir(dataPath).exists(QStringLiteral("phontab")))
            throw PlatformError(
                QStringLiteral("The speech data is missing: %1 holds no eSpeak NG data.").arg(dataPath));
        const QByteArray path = dataPath.toLocal8Bit();
        const int rate
            = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 50, dataPath.isEmpty() ? nullptr : path.constData(),
                espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_PHONEME_IPA | espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0)
            throw PlatformError(QStringLiteral("The speech synthesiser could not start: its speech data is missing."));
        espeak_SetSynthCallback(synthCallback);
        librarySampleRate = rate;
        libraryDataPath = dataPath;
    }
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    if (!list || !list[0])
        throw PlatformError(QStringLiteral("The speech synthesiser has no voices installed."));
    m_sampleRate = librarySampleRate;
    ++liveInstances;
}

ESpeakBackend::~ESpeakBackend()
{
    std::lock_guard lock(libraryMutex);
    --liveInstances;
}

std::vector<SynthVoice> ESpeakBackend::voices() const
{
    std::lock_guard lock(libraryMutex);
    std::vector<SynthVoice> result;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        const espeak_VOICE& voice = **v;
        SynthVoice out;
        out.id = QString::fromUtf8(voice.identifier);
        out.name = QString::fromUtf8(voice.name).replace(QLatin1Char('_'), QLatin1Char(' '));
        // languages: a priority byte, a NUL-terminated name, repeated; the first is the voice's own.
        if (voice.languages && voice.languages[0])
            out.language = QString::fromUtf8(voice.languages + 1);
        out.gender = voice.gender == 1 ? QStringLiteral("Male")
            : voice.gender == 2        ? QStringLiteral("Female")
                                       : QString();
        out.age = voice.age;
        out.vendor = QStringLiteral("eSpeak NG");
        result.push_back(out);
    }
    return result;
}

void ESpeakBackend::apply(const Settings& settings)
{
    if (!haveApplied || settings.voiceId != appliedSettings.voiceId) {
        const QByteArray id = settings.voiceId.toUtf8();
        const espeak_ERROR error = espeak_SetVoiceByName(id.constData());
        if (error != EE_OK)
            throw PlatformError(describe(error));
    }
    // A voice change resets the parameters, so they are set every time.
    espeak_SetParameter(espeakRATE, settings.wordsPerMinute, 0);
    espeak_SetParameter(espeakPITCH, settings.pitch, 0);
    espeak_SetParameter(espeakPUNCTUATION, settings.speakPunctuation ? espeakPUNCT_ALL : espeakPUNCT_NONE, 0);
    appliedSettings = settings;
    haveApplied = true;
}

bool ESpeakBackend::synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink)
{
    std::lock_guard lock(libraryMutex);
    apply(settings);
    SynthCall call;
    call.sink = &sink;
    const espeak_ERROR error = espeak_Synth(ssml.constData(), static_cast<size_t>(ssml.size()) + 1, 0, POS_CHARACTER, 0,
        espeakCHARS_UTF8 | espeakSSML | espeakENDPAUSE, nullptr, &call);
    if (error != EE_OK && !call.stopped)
        throw PlatformError(describe(error));
    return !call.stopped;
}
