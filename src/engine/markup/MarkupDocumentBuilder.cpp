#include "engine/markup/MarkupDocumentBuilder.h"

MarkupDocumentBuilder::MarkupDocumentBuilder(const MarkupState& initial)
    : m_state(initial)
{
}

void MarkupDocumentBuilder::setState(MarkupState state)
{
    m_state = std::move(state);
    m_stateChanged = true;
}

// Consecutive items share a state until it changes, so the states stay few.
int MarkupDocumentBuilder::stateIndex()
{
    auto& states = m_document.states;
    if (states.empty() || (m_stateChanged && !(states.back() == m_state)))
        states.push_back(m_state);
    m_stateChanged = false;
    return int(states.size() - 1);
}

qsizetype MarkupDocumentBuilder::add(MarkupItem::Kind kind, qsizetype begin, qsizetype end)
{
    if (m_hidden > 0)
        return -1;
    MarkupItem item;
    item.kind = kind;
    item.begin = begin;
    item.end = end;
    item.state = stateIndex();
    m_document.items.push_back(std::move(item));
    return qsizetype(m_document.items.size()) - 1;
}

void MarkupDocumentBuilder::addBookmark(qsizetype begin, qsizetype end, const QString& name)
{
    const qsizetype item = add(MarkupItem::Kind::Bookmark, begin, end);
    if (item >= 0)
        m_document.items[size_t(item)].name = name;
}

void MarkupDocumentBuilder::addSilence(qsizetype begin, qsizetype end, int milliseconds)
{
    const qsizetype item = add(MarkupItem::Kind::Silence, begin, end);
    if (item >= 0)
        m_document.items[size_t(item)].milliseconds = milliseconds;
}

qsizetype MarkupDocumentBuilder::addReplacement(qsizetype begin, qsizetype end, const QString& replacement)
{
    const qsizetype item = add(MarkupItem::Kind::Text, begin, end);
    if (item >= 0)
        m_document.items[size_t(item)].replacement = replacement;
    return item;
}

void MarkupDocumentBuilder::setEnd(qsizetype item, qsizetype end)
{
    if (item >= 0)
        m_document.items[size_t(item)].end = end;
}

void MarkupDocumentBuilder::setContent(qsizetype item, qsizetype begin, qsizetype end)
{
    if (item >= 0) {
        m_document.items[size_t(item)].contentBegin = begin;
        m_document.items[size_t(item)].contentEnd = end;
    }
}

void MarkupDocumentBuilder::endTextRun(qsizetype end)
{
    if (m_runStart < end)
        add(MarkupItem::Kind::Text, m_runStart, end);
    m_runStart = end;
}

MarkupDocument MarkupDocumentBuilder::finish(const MarkupState& finalState)
{
    m_document.finalState = finalState;
    return std::move(m_document);
}
