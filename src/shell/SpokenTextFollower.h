#pragma once

#include "DocumentEditMap.h"

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <optional>

class SpokenTextHighlighter;
class frmConsole;

// Follows each stream the console speaks back to the text box its text came from, and marks
// there the word and sentence its events reach, at the positions the box's text has now. Streams
// of other texts (a phrase, the date) are spoken without marks. Marks go at the end of their
// stream and at Stop or Reset; while marking is off, nothing is marked.
class SpokenTextFollower : public QObject {
    Q_OBJECT
public:
    SpokenTextFollower(frmConsole& console, QObject* parent);
    ~SpokenTextFollower() override;

    // Speaks text as the console's Play does; text is the box's own from offset on. A null source
    // speaks it unmarked.
    void speak(const QString& text, SpokenTextHighlighter* source, int offset);
    // Queues text behind the speech under way, neither purging nor resuming it.
    void queue(const QString& text, SpokenTextHighlighter& source, int offset);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

private:
    struct Passage {
        QPointer<SpokenTextHighlighter> box;
        int offset = 0;
        std::unique_ptr<DocumentEditMap> edits;
        // Where a word or sentence of the stream is in the box now; nothing when its text is gone.
        std::optional<DocumentEditMap::Span> span(int position, int length) const;
    };
    struct Source {
        SpokenTextHighlighter* box;
        int offset;
    };

    void bind(int stream, const Source& source);
    void streamStarted(int stream);
    void wordSpoken(int stream, int position, int length);
    void sentenceSpoken(int stream, int position, int length);
    void streamEnded(int stream);
    void releaseAll();
    void clearShown();
    Passage* passage(int stream);
    Passage* shownPassage(int stream);

    frmConsole& m_console;
    std::map<int, Passage> m_streams;
    // The box each highlighter marks a stream of now.
    std::map<SpokenTextHighlighter*, int> m_showing;
    // The source of a text being handed to the console; its events may come before it returns.
    std::optional<Source> m_pending;
    bool m_enabled = true;
};
