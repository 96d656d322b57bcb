#include "SpokenTextFollower.h"

#include "DocumentEditMap.h"
#include "SpokenTextHighlighter.h"
#include "frmConsole.h"

#include <QPlainTextEdit>

SpokenTextFollower::SpokenTextFollower(frmConsole& console, QObject* parent)
    : QObject(parent)
    , m_console(console)
{
    connect(&console, &frmConsole::streamStarted, this, &SpokenTextFollower::streamStarted);
    connect(&console, &frmConsole::wordSpoken, this, &SpokenTextFollower::wordSpoken);
    connect(&console, &frmConsole::sentenceSpoken, this, &SpokenTextFollower::sentenceSpoken);
    connect(&console, &frmConsole::streamEnded, this, &SpokenTextFollower::streamEnded);
    connect(&console, &frmConsole::spokenTextReleased, this, &SpokenTextFollower::releaseAll);
}

SpokenTextFollower::~SpokenTextFollower() = default;

// An asynchronous text's stream is known when the console returns; a synchronous one has been
// spoken by then, its stream bound as it started.
void SpokenTextFollower::speak(const QString& text, SpokenTextHighlighter* source, int offset)
{
    const int before = m_console.lastStreamNumber();
    if (source)
        m_pending = Source { source, offset };
    m_console.funcVoiceSpeak(text);
    if (m_pending && m_console.lastStreamNumber() != before)
        bind(m_console.lastStreamNumber(), *m_pending);
    m_pending.reset();
}

void SpokenTextFollower::queue(const QString& text, SpokenTextHighlighter& source, int offset)
{
    const int before = m_console.lastStreamNumber();
    const int stream = m_console.funcVoiceQueue(text);
    if (stream != before)
        bind(stream, Source { &source, offset });
}

void SpokenTextFollower::bind(int stream, const Source& source)
{
    Passage& passage = m_streams[stream];
    passage.box = source.box;
    passage.offset = source.offset;
    passage.edits = std::make_unique<DocumentEditMap>(*source.box->box().document());
}

void SpokenTextFollower::streamStarted(int stream)
{
    if (m_pending && !m_streams.count(stream)) {
        bind(stream, *m_pending);
        m_pending.reset();
    }
}

SpokenTextFollower::Passage* SpokenTextFollower::passage(int stream)
{
    const auto found = m_streams.find(stream);
    if (found == m_streams.end() || !found->second.box)
        return nullptr;
    return &found->second;
}

std::optional<DocumentEditMap::Span> SpokenTextFollower::Passage::span(int position, int length) const
{
    const int start = offset + position;
    return edits->span(start, start + length);
}

// The stream's passage, now the one its box shows; null while highlighting is off.
SpokenTextFollower::Passage* SpokenTextFollower::shownPassage(int stream)
{
    Passage* spoken = m_enabled ? passage(stream) : nullptr;
    if (spoken)
        m_showing[spoken->box.data()] = stream;
    return spoken;
}

void SpokenTextFollower::wordSpoken(int stream, int position, int length)
{
    Passage* spoken = shownPassage(stream);
    if (!spoken)
        return;
    if (const auto span = spoken->span(position, length))
        spoken->box->showWord(span->start, span->end);
    else
        spoken->box->hideWord();
}

void SpokenTextFollower::sentenceSpoken(int stream, int position, int length)
{
    Passage* spoken = shownPassage(stream);
    if (!spoken)
        return;
    if (const auto span = spoken->span(position, length))
        spoken->box->showSentence(span->start, span->end);
}

// Streams are spoken in order, so one that ends leaves no earlier stream to come, started or not.
void SpokenTextFollower::streamEnded(int stream)
{
    for (auto it = m_streams.begin(); it != m_streams.end() && it->first <= stream;) {
        SpokenTextHighlighter* box = it->second.box.data();
        if (const auto shown = m_showing.find(box); box && shown != m_showing.end() && shown->second == it->first) {
            box->clear();
            m_showing.erase(shown);
        }
        it = m_streams.erase(it);
    }
}

void SpokenTextFollower::clearShown()
{
    for (const auto& [box, stream] : m_showing) {
        if (const Passage* spoken = passage(stream); spoken && spoken->box == box)
            box->clear();
    }
    m_showing.clear();
}

void SpokenTextFollower::releaseAll()
{
    clearShown();
    m_streams.clear();
}

void SpokenTextFollower::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        clearShown();
}
