#pragma once

#include "engine/markup/MarkupDocument.h"

// The document as it is read: the state in force, the items so far, and the run of plain text
// that has not become an item yet. While an element whose content is not spoken is open, adding
// does nothing.
class MarkupDocumentBuilder {
public:
    explicit MarkupDocumentBuilder(const MarkupState& initial);

    const MarkupState& state() const { return m_state; }
    // Items added from now on are in this state.
    void setState(MarkupState state);

    // Returns the item's index, -1 when content is hidden.
    qsizetype add(MarkupItem::Kind kind, qsizetype begin, qsizetype end);
    void addBookmark(qsizetype begin, qsizetype end, const QString& name);
    void addSilence(qsizetype begin, qsizetype end, int milliseconds);
    // Text spoken as replacement instead of text[begin, end) (an entity, an alias).
    qsizetype addReplacement(qsizetype begin, qsizetype end, const QString& replacement);
    void setEnd(qsizetype item, qsizetype end); // an alias's span grows to the end of its element
    void setContent(qsizetype item, qsizetype begin, qsizetype end); // the text an alias stands for

    // The text run ends at end (a markup construct starts there) and goes on after resume.
    void endTextRun(qsizetype end);
    void resumeTextAt(qsizetype position) { m_runStart = position; }

    void hide() { ++m_hidden; }
    void reveal() { --m_hidden; }

    MarkupDocument finish(const MarkupState& finalState);

private:
    int stateIndex();

    MarkupDocument m_document;
    MarkupState m_state;
    bool m_stateChanged = true; // the state may differ from the last one recorded
    qsizetype m_runStart = 0;
    int m_hidden = 0; // open elements whose content is not spoken
};
