#pragma once

#include "TextPieces.h"

#include <QString>
#include <array>

// The editor's undo slots, numbered 1 to 100, each holding one earlier text of the document or
// nothing (the empty text). Slots hold their texts as TextPieces, so slots recorded from the same
// document share what they have in common and a hundred versions of a long text stay small.
class UndoStore {
public:
    static constexpr int firstSlot = 1;
    static constexpr int lastSlot = 100;

    // The slot's text; the empty text for an empty slot or a number outside 1 to 100.
    QString at(int slot) const;
    bool isEmpty(int slot) const;
    // False, storing nothing, for a number outside 1 to 100.
    bool set(int slot, const QString& text);
    bool set(int slot, const TextPieces& text);
    // Every slot empty.
    void clear();

    // Memory the slots hold for their texts: piece lists and pieces, each shared piece once.
    qsizetype heldBytes() const;

private:
    static bool exists(int slot) { return slot >= firstSlot && slot <= lastSlot; }

    std::array<TextPieces, lastSlot> m_slots;
};
