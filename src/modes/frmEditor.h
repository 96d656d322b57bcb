#pragma once

#include "CommonDialog.h"

#include <QMdiSubWindow>
#include <memory>
#include <optional>

class DocumentOpening;
class QPlainTextEdit;
class SpokenTextHighlighter;
class TextDocumentMirror;

// The text editor mode page: a borderless child window of the main window whose text box
// SayText holds the text to be spoken. Sizes in its handlers are twips of the window's outer size.
// Its document state (the undo store, TextModified, EditorFileName) is program-wide, see
// EditorDocument.h; the page's operations work on that state and on SayText. Whether the document
// can be saved, under its name or a new one, goes out as signals that the main window's File menu
// follows.
class frmEditor : public QMdiSubWindow {
    Q_OBJECT
public:
    frmEditor();
    ~frmEditor() override;

    void Form_Load();
    void Form_Resize();
    // Called for every character key (Enter and Backspace included) before it changes the text.
    void SayText_KeyPress(int keyAscii);

    // The undo store.
    void SetUndoString();
    void UndoMe_Click();
    void RedoUndoString();
    void ClearUndoString();

    // The document's files; each runs its whole dialogue itself.
    void OpenFile();
    void NewFile();
    void SaveFile();
    void SaveAsFile();
    void PrintFile();

    // Before the program is left: with unsaved work asks "Would you like to save your work?" and
    // on Yes saves as the save step of New does. True when the program may be left (nothing to
    // save, No, or Yes with a save that succeeded); false on a cancelled or failed save.
    bool OfferToSaveWork();

    // SayText's text as the box gives it.
    QString plainText() const;
    // SayText's selection, its line breaks as plain line feeds.
    QString selectedText() const;
    // Puts text in place of SayText's selection, the caret after it.
    void replaceSelection(const QString& text);
    // A part of SayText's text and where in the text it begins.
    struct Passage {
        int offset;
        QString text;
    };
    // The text to read from the cursor: the selection when there is one, else the text from the
    // start of the word the cursor is in (or at) to the end.
    Passage passageFromCursor() const;
    // Marks the word and sentence being spoken in SayText.
    SpokenTextHighlighter& spokenText() const { return *m_spokenText; }

    // SayText's colours as colour values (TextBoxColors).
    int foreColor() const;
    int backColor() const;
    void setForeColor(int colorValue);
    void setBackColor(int colorValue);

signals:
    // Saving under the document's own name became possible (true) or impossible (false).
    void saveAvailable(bool available);
    // Saving under a new name became possible (true) or impossible (false).
    void saveAsAvailable(bool available);
    // A key typed in SayText finished a sentence (a sentence mark and a space, or Enter): the
    // sentence and where it begins in the text. The key has not yet changed the text.
    void sentenceTyped(int offset, const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class FileDialog { Open, Save };

    // The name chosen in Dialogs; nothing when the dialog was cancelled or gave no name.
    std::optional<QString> chooseFile(FileDialog kind);
    bool askToSave();
    // Puts a text of the undo store in SayText.
    void showStoredText(const QString& stored);
    // The save step of New: asks for a name and writes the text there, telling the user when
    // that fails. The name written to; nothing when cancelled or failed.
    std::optional<QString> saveCopy();
    // Open's steps from its dialog on.
    void openChosenFile(bool enableSave);
    void openDocument(const QString& name, DocumentOpening& opening);
    // Writes the text in the document's encoding; throws PlatformError.
    void writeText(const QString& path);
    QString text() const;
    void watchForSentenceEnd(int keyAscii);

    QPlainTextEdit* SayText;
    CommonDialog Dialogs { this };
    std::unique_ptr<TextDocumentMirror> m_text;
    SpokenTextHighlighter* m_spokenText; // belongs to SayText
};
