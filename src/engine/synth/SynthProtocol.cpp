#include "engine/synth/SynthProtocol.h"

#include "platform/PlatformError.h"

#include <QDataStream>
#include <QIODevice>
#include <cstring>

namespace SynthProtocol {
namespace {
class Writer {
public:
    explicit Writer(Kind kind)
        : m_stream(&m_bytes, QIODevice::WriteOnly)
    {
        m_stream << static_cast<quint8>(kind);
    }
    QDataStream& stream() { return m_stream; }
    QByteArray bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
    QDataStream m_stream;
};

class Reader {
public:
    Reader(const QByteArray& message, Kind expected)
        : m_stream(message)
    {
        if (kind(message) != expected)
            fail();
        quint8 tag = 0;
        m_stream >> tag;
    }
    QDataStream& stream() { return m_stream; }
    // Called after the last field.
    void check() const
    {
        if (m_stream.status() != QDataStream::Ok)
            fail();
    }

private:
    [[noreturn]] static void fail()
    {
        throw PlatformError(QStringLiteral("The speech synthesiser sent a message that cannot be read."));
    }
    QDataStream m_stream;
};

QDataStream& operator<<(QDataStream& out, const SynthVoice& voice)
{
    return out << voice.id << voice.name << voice.language << voice.gender << qint32(voice.age) << voice.vendor;
}
QDataStream& operator>>(QDataStream& in, SynthVoice& voice)
{
    qint32 age = 0;
    in >> voice.id >> voice.name >> voice.language >> voice.gender >> age >> voice.vendor;
    voice.age = age;
    return in;
}
QDataStream& operator<<(QDataStream& out, const SynthEvent& event)
{
    return out << static_cast<quint8>(event.type) << qint64(event.sample) << qint32(event.textPosition)
               << qint32(event.length) << event.name;
}
QDataStream& operator>>(QDataStream& in, SynthEvent& event)
{
    quint8 type = 0;
    qint32 position = 0, length = 0;
    in >> type >> event.sample >> position >> length >> event.name;
    if (type > static_cast<quint8>(SynthEvent::Type::Phoneme))
        in.setStatus(QDataStream::ReadCorruptData);
    event.type = static_cast<SynthEvent::Type>(type);
    event.textPosition = position;
    event.length = length;
    return in;
}
// Counts come from the other process: never trust one to size an allocation up front.
template <typename T> void readList(QDataStream& in, std::vector<T>& items)
{
    quint32 count = 0;
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i)
        in >> items.emplace_back();
}
} // namespace

QByteArray ready(const Ready& message)
{
    Writer out(Kind::Ready);
    out.stream() << qint32(message.sampleRate) << quint32(message.voices.size());
    for (const SynthVoice& voice : message.voices)
        out.stream() << voice;
    return out.bytes();
}

QByteArray failed(const QString& description)
{
    Writer out(Kind::Failed);
    out.stream() << description;
    return out.bytes();
}

QByteArray block(std::span<const int16_t> samples, std::span<const SynthEvent> events)
{
    Writer out(Kind::Block);
    // Written as a byte array would be, without first copying the samples into one.
    out.stream().writeBytes(reinterpret_cast<const char*>(samples.data()), uint(samples.size_bytes()));
    out.stream() << quint32(events.size());
    for (const SynthEvent& event : events)
        out.stream() << event;
    return out.bytes();
}

QByteArray done(bool completed)
{
    Writer out(Kind::Done);
    out.stream() << completed;
    return out.bytes();
}

QByteArray speak(const QByteArray& ssml, const SynthesizerBackend::Settings& settings)
{
    Writer out(Kind::Speak);
    out.stream() << ssml << settings.voiceId << qint32(settings.wordsPerMinute) << qint32(settings.pitch)
                 << settings.speakPunctuation << settings.awaited;
    return out.bytes();
}

QByteArray stop()
{
    return Writer(Kind::Stop).bytes();
}

Kind kind(const QByteArray& message)
{
    if (message.isEmpty())
        return Kind::Invalid;
    const auto tag = static_cast<quint8>(message.front());
    return tag <= static_cast<quint8>(Kind::Stop) ? static_cast<Kind>(tag) : Kind::Invalid;
}

Ready readReady(const QByteArray& message)
{
    Reader in(message, Kind::Ready);
    Ready result;
    qint32 rate = 0;
    in.stream() >> rate;
    result.sampleRate = rate;
    readList(in.stream(), result.voices);
    in.check();
    return result;
}

QString readFailed(const QByteArray& message)
{
    Reader in(message, Kind::Failed);
    QString description;
    in.stream() >> description;
    in.check();
    return description;
}

Block readBlock(const QByteArray& message)
{
    Reader in(message, Kind::Block);
    Block result;
    QByteArray samples;
    in.stream() >> samples;
    result.samples.resize(static_cast<size_t>(samples.size()) / sizeof(int16_t));
    if (!result.samples.empty()) // memcpy may not be given an empty vector's null data
        std::memcpy(result.samples.data(), samples.constData(), result.samples.size() * sizeof(int16_t));
    readList(in.stream(), result.events);
    in.check();
    return result;
}

bool readDone(const QByteArray& message)
{
    Reader in(message, Kind::Done);
    bool completed = false;
    in.stream() >> completed;
    in.check();
    return completed;
}

Speak readSpeak(const QByteArray& message)
{
    Reader in(message, Kind::Speak);
    Speak result;
    qint32 rate = 0, pitch = 0;
    in.stream() >> result.ssml >> result.settings.voiceId >> rate >> pitch >> result.settings.speakPunctuation
        >> result.settings.awaited;
    result.settings.wordsPerMinute = rate;
    result.settings.pitch = pitch;
    in.check();
    return result;
}
} // namespace SynthProtocol
