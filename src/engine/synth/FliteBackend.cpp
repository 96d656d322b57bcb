#include "engine/synth/FliteBackend.h"

#include "engine/synth/FliteScript.h"
#include "engine/synth/FliteUtterance.h"

#include <flite/flite.h>
#include <samplerate.h>

#include <algorithm>
#include <array>
#include <cmath>
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
// Blocks handed on at a time, so that a stop is heard soon.
constexpr size_t blockSamples = 4096;

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

// Flite's audio at its own rate as the engine's pipeline takes it.
std::vector<int16_t> converted(std::span<const int16_t> samples, int inputRate, int outputRate)
{
    if (inputRate == outputRate || samples.empty())
        return { samples.begin(), samples.end() };
    const double ratio = static_cast<double>(outputRate) / inputRate;
    std::vector<float> in(samples.size());
    src_short_to_float_array(samples.data(), in.data(), static_cast<int>(samples.size()));
    std::vector<float> out(static_cast<size_t>(std::ceil(static_cast<double>(samples.size()) * ratio)) + 16);
    SRC_DATA data {};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1); error != 0)
        throw PlatformError(QStringLiteral("The sample rate could not be converted: %1").arg(src_strerror(error)));
    std::vector<int16_t> result(static_cast<size_t>(data.output_frames_gen));
    src_float_to_short_array(out.data(), result.data(), static_cast<int>(result.size()));
    return result;
}

struct Rendered {
    std::vector<int16_t> samples;
    std::vector<SynthEvent> events; // samples from the piece's start
};

// joinBefore and joinAfter drop Flite's pause at that end, where the text goes on in another
// prosody, so that a change of rate or pitch inside a sentence makes no gap.
Rendered speak(const VoiceEntry& entry, const FliteScript::Piece& piece, const SynthesizerBackend::Settings& settings,
    int outputRate, bool joinBefore, bool joinAfter)
{
    apply(entry, piece, settings);
    const std::unique_ptr<cst_utterance, decltype(&delete_utterance)> utterance(
        flite_synth_text(piece.text.constData(), entry.voice), &delete_utterance);
    const cst_wave* wave = utterance ? utt_wave(utterance.get()) : nullptr;
    if (!wave)
        throw PlatformError(QStringLiteral("The speech synthesiser could not speak the text."));
    const FliteUtterance spoken(utterance.get(), piece);
    const qint64 begin = joinBefore ? spoken.soundBegin() : 0;
    const qint64 end = std::max(begin, joinAfter ? spoken.soundEnd() : qint64(wave->num_samples));
    Rendered out;
    out.samples = converted(std::span(wave->samples + begin, static_cast<size_t>(end - begin)), wave->sample_rate,
        outputRate);
    const double ratio = static_cast<double>(outputRate) / wave->sample_rate;
    for (SynthEvent event : spoken.events()) {
        const bool cut = event.sample < begin || event.sample >= end;
        if (cut && event.type == SynthEvent::Type::Phoneme && event.name.isEmpty())
            continue; // a pause that was dropped
        event.sample = std::min<qint64>(std::llround(static_cast<double>(std::clamp(event.sample, begin, end) - begin) * ratio),
            static_cast<qint64>(out.samples.size()));
        out.events.push_back(event);
    }
    // A cut edge fades over a few milliseconds, or it clicks.
    const size_t fade = std::min(out.samples.size() / 2, static_cast<size_t>(outputRate / 200));
    for (size_t i = 0; i < out.samples.size(); ++i) {
        double gain = piece.volume;
        if (joinBefore && i < fade)
            gain *= static_cast<double>(i) / static_cast<double>(fade);
        if (joinAfter && out.samples.size() - i <= fade)
            gain *= static_cast<double>(out.samples.size() - i - 1) / static_cast<double>(fade);
        out.samples[i] = static_cast<int16_t>(std::clamp(std::lround(out.samples[i] * gain), -32768L, 32767L));
    }
    return out;
}

std::vector<SynthEvent> marksOnly(const FliteScript::Piece& piece)
{
    std::vector<SynthEvent> events;
    for (const FliteScript::Mark& mark : piece.marks) {
        SynthEvent event;
        event.type = SynthEvent::Type::Mark;
        event.name = mark.name;
        event.textPosition = piece.origins.empty() ? 0 : piece.origins.front();
        events.push_back(event);
    }
    return events;
}

// Hands the audio on in blocks, each with the events that fall inside it; false when stopped.
bool deliver(const Rendered& rendered, qint64 base, const SynthesizerBackend::Sink& sink)
{
    std::vector<SynthEvent> events = rendered.events;
    for (SynthEvent& e : events)
        e.sample += base;
    const std::span<const int16_t> samples(rendered.samples);
    size_t offset = 0;
    auto next = events.begin();
    do {
        const size_t end = std::min(samples.size(), offset + blockSamples);
        const auto last = end == samples.size()
            ? events.end()
            : std::find_if(next, events.end(), [&](const SynthEvent& e) { return e.sample >= base + qint64(end); });
        if (!sink(samples.subspan(offset, end - offset), std::span(next, last)))
            return false;
        next = last;
        offset = end;
    } while (offset < samples.size());
    return true;
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
        Rendered rendered;
        if (piece.pause)
            rendered.samples.resize(static_cast<size_t>(qint64(piece.milliseconds) * m_sampleRate / 1000));
        else if (!piece.spoken())
            rendered.events = marksOnly(piece);
        else
            rendered = speak(*entry, piece, settings, m_sampleRate, i > 0 && !pieces[i - 1].pause,
                i + 1 < pieces.size() && !pieces[i + 1].pause);
        if (!deliver(rendered, produced, sink))
            return false;
        produced += static_cast<qint64>(rendered.samples.size());
    }
    return true;
}
