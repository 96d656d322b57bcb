#pragma once

#include "engine/markup/Chunk.h"
#include "engine/pipeline/PendingSynthesis.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class SynthesizerPool;

// A chunk as it was handed to a synthesiser: its rate and voice are fixed from then on.
struct HandedOutChunk {
    size_t index = 0;
    Chunk chunk;
    int rate = 0;
    QString voiceId;
    std::shared_ptr<PendingSynthesis> pending;
};

// The chunks of one stream handed out ahead of their turn, so that the synthesisers never wait
// while speech is due. Chunks handed out at a rate that is no longer the stream's are taken back
// and handed out again, so an early chunk sounds as it would have in its turn.
class ChunkLookahead {
public:
    // The chunk at index handed out at rate, or nullopt past the text's end. awaited is false for
    // a chunk handed out ahead of its turn, whose first samples nobody waits for.
    using HandOut = std::function<std::optional<HandedOutChunk>(size_t index, int rate, bool awaited)>;

    ChunkLookahead(size_t depth, HandOut handOut);
    ~ChunkLookahead(); // cancels what was not played
    ChunkLookahead(const ChunkLookahead&) = delete;
    ChunkLookahead& operator=(const ChunkLookahead&) = delete;

    // Chunk index at rate, with up to depth − 1 chunks after it handed out; null past the end.
    // Chunks before index are let go. The reference holds until the next call.
    HandedOutChunk* at(size_t index, int rate);

private:
    void dropFront();
    void clear();

    size_t m_depth;
    HandOut m_handOut;
    std::deque<HandedOutChunk> m_chunks;
    bool m_ended = false; // the last chunk handed out is the text's last
};
