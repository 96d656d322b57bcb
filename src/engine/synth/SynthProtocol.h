#pragma once

#include "engine/synth/SynthesizerBackend.h"

#include <QByteArray>
#include <vector>

// The messages between the engine and the synthesiser's helper process. The helper announces
// itself with Ready (or Failed); for each Speak it sends Blocks as fast as the socket takes them,
// then Done (or Failed). Stop asks it to end the text early; it still ends with Done.
namespace SynthProtocol {
enum class Kind : quint8 { Invalid, Ready, Failed, Block, Done, Speak, Stop };

struct Ready {
    int sampleRate = 0;
    std::vector<SynthVoice> voices;
};
struct Block {
    std::vector<int16_t> samples;
    std::vector<SynthEvent> events;
};
struct Speak {
    QByteArray ssml;
    SynthesizerBackend::Settings settings;
};

QByteArray ready(const Ready& message);
QByteArray failed(const QString& description);
QByteArray block(std::span<const int16_t> samples, std::span<const SynthEvent> events);
QByteArray done(bool completed);
QByteArray speak(const QByteArray& ssml, const SynthesizerBackend::Settings& settings);
QByteArray stop();

// Kind::Invalid for an empty or unknown message.
Kind kind(const QByteArray& message);
// Each throws PlatformError when the message is not of its kind or is cut short.
Ready readReady(const QByteArray& message);
QString readFailed(const QByteArray& message);
Block readBlock(const QByteArray& message);
bool readDone(const QByteArray& message);
Speak readSpeak(const QByteArray& message);
} // namespace SynthProtocol
