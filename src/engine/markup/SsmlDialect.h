#pragma once

#include "engine/markup/MarkupElement.h"

#include <QtGlobal>

class MarkupDocumentBuilder;
class MarkupTag;

// What SSML's elements do inside a <speak> document: <mark>, <break>, <prosody>, <emphasis>,
// <say-as>, <voice>, <sub>, the hidden <desc> and <metadata>, and xml:lang on any of them.
// Unusable values are ignored, never faults.
class SsmlDialect {
public:
    // What an element does to its content until its end tag.
    struct Content {
        bool hidden = false; // not spoken
        qsizetype aliasItem = -1; // the item that speaks instead of it, whose span the end tag ends
    };

    SsmlDialect(const MarkupTag& tag, MarkupDocumentBuilder& document);

    Content apply(MarkupElement element);

private:
    void language();
    void mark();
    void pause();
    void prosody();
    void emphasis();
    void sayAs();
    void voice();
    Content sub();

    const MarkupTag& m_tag;
    MarkupDocumentBuilder& m_document;
};
