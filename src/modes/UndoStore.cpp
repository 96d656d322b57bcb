#include "UndoStore.h"

#include <unordered_set>

QString UndoStore::at(int slot) const
{
    return exists(slot) ? m_slots[static_cast<std::size_t>(slot - firstSlot)].toString() : QString();
}

bool UndoStore::isEmpty(int slot) const
{
    return !exists(slot) || m_slots[static_cast<std::size_t>(slot - firstSlot)].isEmpty();
}

bool UndoStore::set(int slot, const QString& text)
{
    return set(slot, TextPieces(text));
}

bool UndoStore::set(int slot, const TextPieces& text)
{
    if (!exists(slot))
        return false;
    m_slots[static_cast<std::size_t>(slot - firstSlot)] = text;
    return true;
}

void UndoStore::clear()
{
    for (TextPieces& slot : m_slots)
        slot = TextPieces();
}

qsizetype UndoStore::heldBytes() const
{
    std::unordered_set<const void*> counted;
    qsizetype bytes = 0;
    for (const TextPieces& slot : m_slots) {
        bytes += static_cast<qsizetype>(slot.pieces().capacity() * sizeof(TextPieces::Piece));
        for (const TextPieces::Piece& piece : slot.pieces()) {
            if (counted.insert(piece.identity()).second)
                bytes += piece.heldBytes();
        }
    }
    return bytes;
}
