#include "EditorDocument.h"

EditorDocument& editorDocument()
{
    static EditorDocument document;
    return document;
}

void resetEditorDocument()
{
    editorDocument() = EditorDocument();
}
