#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class frmConsole;

// What the user sees of the console while its voice speaks, taken right after the console has
// handled each event: the span highlighted in MainTxtBox at each word, whether the face left its
// rest picture at each viseme, and the speak buttons at the start and the end of each stream.
class ConsoleWatch : public QObject {
public:
    struct Buttons {
        bool speak = false;
        bool stop = false;
        bool pause = false;
        bool skip = false;
        QString pauseCaption;
    };
    struct Word {
        int position = 0;
        int length = 0;
        int selectionStart = 0;
        int selectionEnd = 0;
        int textEnd = 0; // the length of MainTxtBox's text at that moment
    };

    explicit ConsoleWatch(frmConsole& console);

    bool waitForEnd(int streams = 1, int timeoutMs = 60000) const;
    bool waitForWords(int count, int timeoutMs = 60000) const;

    Buttons buttons() const;
    bool faceAtRest() const;
    // The whole of MainTxtBox is selected.
    bool wholeTextSelected() const;
    // The words, in the order spoken, cut out of the text that was given to the voice.
    QStringList wordsOf(const QString& spoken) const;
    // The words spoken, in order, cover every letter and digit of the text once, and no blank.
    bool spokeExactly(const QString& spoken) const;
    // Each word was highlighted in MainTxtBox as the box's selection allows: from its position
    // to its end, both cut at the end of the box's text.
    bool highlightedEachWord() const;
    // Every stream raised StartStream first and EndStream last.
    bool streamsWellFormed() const;

    int started = 0;
    int ended = 0;
    int visemes = 0;
    int facesAway = 0; // viseme events after which the face was not the rest face
    std::vector<Word> words;
    std::vector<Buttons> atStart;
    std::vector<Buttons> atEnd;
    QStringList events; // "start", "word", "end", in the order raised

private:
    QImage shownFace() const;

    frmConsole& m_console;
    QImage m_restFace;
};
