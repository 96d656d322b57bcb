#pragma once

#include "TextEncoding.h"
#include "UndoStore.h"

#include <QString>
#include <optional>

// The editor's document state. It is program-wide and lives for the whole run: the undo store
// (slots 1 to 100; slot 100 is never written), the index of the current slot, whether the text
// has unsaved changes, and the file the document was last opened from or saved to.
struct EditorDocument {
    UndoStore UndoStrings;
    int UndoIndex = 0;
    bool TextModified = false;
    QString EditorFileName;
    // Set by New: EditorFileName still names the file before it, which the new document is not,
    // so Save asks for a name until the document is opened or saved under one.
    bool Untitled = false;
    // The encoding the text was read in or last written in, so that saving gives back the bytes
    // of the file; nothing for a document never opened or saved, which is written as new files are.
    std::optional<TextEncoding> FileEncoding;
    // The name Save proposes for a text that has none yet: a document's text is offered as a
    // text file beside the document, named after it.
    QString ProposedName;
};

// The one document of the program.
EditorDocument& editorDocument();
// Back to the state at program start (tests start a fresh program with it).
void resetEditorDocument();
