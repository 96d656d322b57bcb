#include "engine/synth/FliteBackend.h"

#include "engine/synth/FliteScript.h"
#include "engine/synth/FliteStream.h"

#include <flite/flite.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>

extern "C" {
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
cst_voice* register_cmu_us_kal(const char* voxdir);
}

namespace {
std::mutex libraryMutex;

// The rate Flite's voices speak at with a duration stretch of 1, in the engine's words a minute.
constexpr double normalWordsPerMinute = 175.0;
// Silence is handed on in blocks of this many samples, so that a stop is heard soon.
constexpr size_t blockSamples = 4096;
// Flite streams its sound in pieces of at least this many samples (32 ms at 16 kHz).
constexpr int streamedSamples = 512;

struct VoiceEntry {
    const char* name; // Flite's own name, also the Id's last part
    const char* gender;
    cst_voice* (*registration)(const char*);
    cst_voice* voice = nullptr;
    float stretch = 1.0F; // the voice's own duration stretch
};

std::array<VoiceEntry, 5>& registered()
{
    static std::array<VoiceEntry, 5> voices { VoiceEntry { "slt", "Female", register_cmu_us_slt },
        VoiceEntry { "awb", "Male", register_cmu_us_awb }, VoiceEntry { "rms", "Male", register_cmu_us_rms },
        VoiceEntry { "kal16", "Male", register_cmu_us_kal16 }, VoiceEntry { "kal", "Male", register_cmu_us_kal } };
    static std::once_flag once;
    std::call_once(once, [] {
        flite_init();
        for (VoiceEntry& entry : voices) {
            entry.voice = entry.registration(nullptr);
            entry.stretch = flite_get_param_float(entry.voice->features, "duration_stretch", 1.0F);
        }
    });
    return voices;
}

QString voiceId(const VoiceEntry& entry)
{
    return QStringLiteral("flite/") + QLatin1String(entry.name);
}

void apply(const VoiceEntry& entry, const FliteScript::Piece& piece, const SynthesizerBackend::Settings& settings)
{
    const double speed = std::max(1, settings.wordsPerMinute) / normalWordsPerMinute * piece.rate;
    feat_set_float(entry.voice->features, "duration_stretch", static_cast<float>(entry.stretch / speed));
    const double pitch = piece.pitch * std::pow(2.0, (std::clamp(settings.pitch, 0, 100) - 50) / 50.0);
    // Both kinds of voice (clustergen and diphone) scale their pitch contour by f0_shift.
    feat_set_float(entry.voice->features, "f0_shift", static_cast<float>(pitch));
}

struct StreamCall {
    FliteStream* stream;
    cst_utterance* utterance;
    bool stopped = false;
    std::exception_ptr failure; // nothing may be thrown through Flite's C code
};

int streamed(const cst_wave* wave, int start, int size, int last, cst_audio_streaming_info* info)
{
    auto* call = static_cast<StreamCall*>(info->userdata);
    try {
        call->stopped
            = !call->stream->take(call->utterance, wave->samples + start, wave->sample_rate, start, size, last != 0);
    } catch (...) {
        call->failure = std::current_exception();
        call->stopped = true;
    }
    return call->stopped ? CST_AUDIO_STREAM_STOP : CST_AUDIO_STREAM_CONT;
}

struct Spoken {
    bool completed = true;
    qint64 samples = 0;
};

// Flite streams the sound as it makes it, so the first audio leaves before the whole piece is
// synthesised; a voice that does not stream hands its wave over at the end.
Spoken speak(const VoiceEntry& entry, const FliteScript::Piece& piece, const SynthesizerBackend::Settings& settings,
    int outputRate, FliteStream::Placement placement, const SynthesizerBackend::Sink& sink)
{
    apply(entry, piece, settings);
    FliteStream stream(piece, outputRate, placement, sink);
    const std::unique_ptr<cst_utterance, decltype(&delete_utterance)> utterance(new_utterance(), &delete_utterance);
    StreamCall call { &stream, utterance.get(), false, nullptr };
    cst_audio_streaming_info* info = new_audio_streaming_info();
    info->asc = streamed;
    info->min_buffsize = streamedSamples;
    info->userdata = &call;
    feat_set(entry.voice->features, "streaming_info", audio_streaming_info_val(info)); // owns info
    utt_set_input_text(utterance.get(), piece.text.constData());
    utt_init(utterance.get(), entry.voice);
    const bool synthesised = utt_synth(utterance.get()) != nullptr;
    feat_remove(entry.voice->features, "streaming_info");
    if (call.failure)
        std::rethrow_exception(call.failure);
    if (call.stopped)
        return { false, stream.produced() };
    const cst_wave* wave = synthesised ? utt_wave(utterance.get()) : nullptr;
    if (!wave)
        throw PlatformError(QStringLiteral("The speech synthesiser could not speak the text."));
    if (!stream.finished()
        && !stream.take(utterance.get(), wave->samples + stream.taken(), wave->sample_rate, stream.taken(),
            wave->num_samples - stream.taken(), true))
        return { false, stream.produced() };
    return { true, stream.produced() };
}

Spoken silence(int milliseconds, int rate, const SynthesizerBackend::Sink& sink)
{
    const std::vector<int16_t> zeros(static_cast<size_t>(qint64(milliseconds) * rate / 1000));
    for (size_t offset = 0; offset < zeros.size(); offset += blockSamples)
        if (!sink(std::span(zeros).subspan(offset, std::min(blockSamples, zeros.size() - offset)), {}))
            return { false, static_cast<qint64>(offset) };
    return { true, static_cast<qint64>(zeros.size()) };
}

std::vector<SynthEvent> marksOnly(const FliteScript::Piece& piece, qint64 sample)
{
    std::vector<SynthEvent> events;
    for (const FliteScript::Mark& mark : piece.marks) {
        SynthEvent event;
        event.type = SynthEvent::Type::Mark;
        event.sample = sample;
        event.name = mark.name;
        event.textPosition = piece.origins.empty() ? 0 : piece.origins.front();
        events.push_back(event);
    }
    return events;
}
} // namespace

FliteBackend::FliteBackend(int sampleRate)
    : m_sampleRate(sampleRate)
{
    if (sampleRate <= 0)
        throw PlatformError(QStringLiteral("The speech synthesiser was given no sample rate."));
    std::lock_guard lock(libraryMutex);
    registered();
}

std::vector<SynthVoice> FliteBackend::voices() const
{
    std::vector<SynthVoice> result;
    for (const VoiceEntry& entry : registered()) {
        SynthVoice voice;
        voice.id = voiceId(entry);
        voice.name = QStringLiteral("English (America), Flite %1, %2")
                         .arg(QLatin1String(entry.name), QString::fromLatin1(entry.gender).toLower());
        voice.language = QStringLiteral("en-US");
        voice.gender = QString::fromLatin1(entry.gender);
        voice.vendor = QStringLiteral("Flite");
        result.push_back(voice);
    }
    return result;
}

bool FliteBackend::synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink)
{
    std::lock_guard lock(libraryMutex);
    const auto& voices = registered();
    const auto entry = std::find_if(
        voices.begin(), voices.end(), [&](const VoiceEntry& v) { return voiceId(v) == settings.voiceId; });
    if (entry == voices.end())
        throw PlatformError(QStringLiteral("The speech synthesiser could not find the voice."));
    qint64 produced = 0;
    const FliteScript script(ssml, settings.speakPunctuation);
    const std::vector<FliteScript::Piece>& pieces = script.pieces();
    for (size_t i = 0; i < pieces.size(); ++i) {
        const FliteScript::Piece& piece = pieces[i];
        Spoken spoken;
        if (piece.pause)
            spoken = silence(piece.milliseconds, m_sampleRate, sink);
        else if (!piece.spoken())
            spoken.completed = sink({}, marksOnly(piece, produced));
        else
            spoken = speak(*entry, piece, settings, m_sampleRate,
                { produced, i > 0 && !pieces[i - 1].pause, i + 1 < pieces.size() && !pieces[i + 1].pause }, sink);
        if (!spoken.completed)
            return false;
        produced += spoken.samples;
    }
    return true;
}
