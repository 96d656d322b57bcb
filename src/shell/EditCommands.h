#pragma once

class frmEditor;

// The clipboard commands of the Edit menu and the toolbar. They work on the editor's SayText
// and its selection, use the clipboard's text format only, and record an undo step after each
// change (Copy changes nothing, so it records nothing).
namespace EditCommands {
void Copy(frmEditor& editor);
void Cut(frmEditor& editor);
// Replaces the selection with the clipboard's text. With no text on the clipboard nothing
// changes, so the selection is never lost without an undo step.
void Paste(frmEditor& editor);
// Deletes the selection (nothing when nothing is selected) and records in either case.
void Delete(frmEditor& editor);
} // namespace EditCommands
