#pragma once

#include "engine/markup/MarkupElement.h"

class MarkupDocumentBuilder;
class MarkupTag;
struct MarkupAttribute;

// What the engine's own tags do: <bookmark>, <silence>, <rate>, <pitch>, <volume>, <emph>,
// <spell>, <voice> and <lang>. A missing or unusable value faults (PlatformError), leaving the
// state to whoever restores it.
class EngineDialect {
public:
    EngineDialect(const MarkupTag& tag, MarkupDocumentBuilder& document);

    void apply(MarkupElement element);

private:
    // A rate or a pitch: its value and whether it replaces the voice's own.
    struct Setting {
        int value = 0;
        bool absolute = false;
    };

    void bookmark();
    void silence();
    void rate();
    void pitch();
    Setting adjusted(Setting setting, const MarkupAttribute* absolute, const MarkupAttribute* relative) const;
    [[noreturn]] void missing(const QString& attributes) const;
    void volume();
    void emphasis();
    void spell();
    void voice();
    void language();

    const MarkupTag& m_tag;
    MarkupDocumentBuilder& m_document;
};
