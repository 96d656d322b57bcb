#include "engine/pipeline/ChunkLookahead.h"

ChunkLookahead::ChunkLookahead(size_t depth, HandOut handOut)
    : m_depth(std::max<size_t>(1, depth))
    , m_handOut(std::move(handOut))
{
}

ChunkLookahead::~ChunkLookahead()
{
    clear();
}

void ChunkLookahead::dropFront()
{
    m_chunks.front().pending->cancel();
    m_chunks.pop_front();
}

void ChunkLookahead::clear()
{
    while (!m_chunks.empty())
        dropFront();
    m_ended = false;
}

HandedOutChunk* ChunkLookahead::at(size_t index, int rate)
{
    while (!m_chunks.empty() && m_chunks.front().index < index)
        dropFront();
    if (!m_chunks.empty() && (m_chunks.front().index != index || m_chunks.front().rate != rate))
        clear();
    if (m_chunks.empty()) {
        std::optional<HandedOutChunk> first = m_handOut(index, rate, true);
        if (!first)
            return nullptr;
        m_chunks.push_back(std::move(*first));
    }
    while (!m_ended && m_chunks.size() < m_depth) {
        std::optional<HandedOutChunk> next = m_handOut(m_chunks.back().index + 1, rate, false);
        if (!next) {
            m_ended = true;
            break;
        }
        m_chunks.push_back(std::move(*next));
    }
    return &m_chunks.front();
}
