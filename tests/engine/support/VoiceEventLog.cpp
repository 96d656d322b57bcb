#include "VoiceEventLog.h"

namespace {
VoiceEventLog::Entry make(const QString& kind, int stream, qint64 position, int a = 0, int b = 0, int c = 0, int d = 0,
    const QString& text = {})
{
    VoiceEventLog::Entry e;
    e.kind = kind;
    e.stream = stream;
    e.position = position;
    e.a = a;
    e.b = b;
    e.c = c;
    e.d = d;
    e.text = text;
    return e;
}
} // namespace

VoiceEventLog::VoiceEventLog(SpVoice& voice)
{
    m_clock.start();
    const auto pos = [](const QVariant& v) { return v.toLongLong(); };
    QObject::connect(&voice, &SpVoice::StartStream, &m_context,
        [this, pos](int s, QVariant p) { add(make(QStringLiteral("StartStream"), s, pos(p))); });
    QObject::connect(&voice, &SpVoice::EndStream, &m_context,
        [this, pos](int s, QVariant p) { add(make(QStringLiteral("EndStream"), s, pos(p))); });
    QObject::connect(&voice, &SpVoice::Word, &m_context,
        [this, pos](int s, QVariant p, int at, int n) { add(make(QStringLiteral("Word"), s, pos(p), at, n)); });
    QObject::connect(&voice, &SpVoice::Sentence, &m_context,
        [this, pos](int s, QVariant p, int at, int n) { add(make(QStringLiteral("Sentence"), s, pos(p), at, n)); });
    QObject::connect(&voice, &SpVoice::Bookmark, &m_context, [this, pos](int s, QVariant p, QString name, int id) {
        add(make(QStringLiteral("Bookmark"), s, pos(p), id, 0, 0, 0, name));
    });
    QObject::connect(&voice, &SpVoice::Phoneme, &m_context,
        [this, pos](int s, QVariant p, int duration, short next, int feature, short current) {
            add(make(QStringLiteral("Phoneme"), s, pos(p), duration, next, feature, current));
        });
    QObject::connect(&voice, &SpVoice::Viseme, &m_context,
        [this, pos](int s, QVariant p, int duration, int next, int feature, int current) {
            add(make(QStringLiteral("Viseme"), s, pos(p), duration, next, feature, current));
        });
    QObject::connect(&voice, &SpVoice::AudioLevel, &m_context,
        [this, pos](int s, QVariant p, int level) { add(make(QStringLiteral("AudioLevel"), s, pos(p), level)); });
    QObject::connect(&voice, &SpVoice::VoiceChange, &m_context, [this, pos](int s, QVariant p, SpObjectToken token) {
        add(make(QStringLiteral("VoiceChange"), s, pos(p), 0, 0, 0, 0, token.GetDescription()));
    });
}

void VoiceEventLog::add(Entry entry)
{
    entry.elapsedMs = m_clock.elapsed();
    m_entries.push_back(std::move(entry));
}

std::vector<VoiceEventLog::Entry> VoiceEventLog::of(const QString& kind) const
{
    std::vector<Entry> found;
    for (const Entry& e : m_entries)
        if (e.kind == kind)
            found.push_back(e);
    return found;
}

QStringList VoiceEventLog::words(const QString& spokenText) const
{
    QStringList result;
    for (const Entry& e : of(QStringLiteral("Word")))
        result << spokenText.mid(e.a, e.b);
    return result;
}
