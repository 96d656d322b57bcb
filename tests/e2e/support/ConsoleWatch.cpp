#include "ConsoleWatch.h"

#include "Controls.h"
#include "frmConsole.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <algorithm>

namespace {

QImage comparable(const QImage& picture)
{
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

ConsoleWatch::ConsoleWatch(frmConsole& console)
    : m_console(console)
    , m_restFace(comparable(console.Composite(QStringLiteral("MICFULL"), QStringLiteral("MICFULL"))))
{
    // Connected after the console's own handlers, so each of these sees what they left.
    SpVoice* voice = console.Voice.get();
    connect(voice, &SpVoice::StartStream, this, [this] {
        ++started;
        events << QStringLiteral("start");
        atStart.push_back(buttons());
    });
    connect(voice, &SpVoice::EndStream, this, [this] {
        ++ended;
        events << QStringLiteral("end");
        atEnd.push_back(buttons());
    });
    connect(voice, &SpVoice::Word, this, [this](int, const QVariant&, int position, int length) {
        const QTextCursor selection = control<QPlainTextEdit>(m_console, "MainTxtBox")->textCursor();
        words.push_back({ position, length, selection.selectionStart(), selection.selectionEnd(),
            control<QPlainTextEdit>(m_console, "MainTxtBox")->document()->characterCount() - 1 });
        events << QStringLiteral("word");
    });
    connect(voice, &SpVoice::Viseme, this, [this] {
        ++visemes;
        if (shownFace() != m_restFace)
            ++facesAway;
    });
}

bool ConsoleWatch::waitForEnd(int streams, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return ended >= streams; }, timeoutMs);
}

bool ConsoleWatch::waitForWords(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return static_cast<int>(words.size()) >= count; }, timeoutMs);
}

ConsoleWatch::Buttons ConsoleWatch::buttons() const
{
    const frmConsole& c = m_console;
    return { control<QPushButton>(c, "SpeakBtn")->isEnabled(), control<QPushButton>(c, "StopBtn")->isEnabled(),
        control<QPushButton>(c, "PauseBtn")->isEnabled(), control<QPushButton>(c, "SkipBtn")->isEnabled(),
        control<QPushButton>(c, "PauseBtn")->text() };
}

QImage ConsoleWatch::shownFace() const
{
    return comparable(control<QLabel>(m_console, "VisemePicture")->pixmap().toImage());
}

bool ConsoleWatch::faceAtRest() const
{
    return shownFace() == m_restFace;
}

bool ConsoleWatch::wholeTextSelected() const
{
    const QTextCursor selection = control<QPlainTextEdit>(m_console, "MainTxtBox")->textCursor();
    return selection.selectionStart() == 0
        && selection.selectionEnd()
        == control<QPlainTextEdit>(m_console, "MainTxtBox")->document()->characterCount() - 1;
}

QStringList ConsoleWatch::wordsOf(const QString& spoken) const
{
    QStringList cut;
    for (const Word& word : words)
        cut << spoken.mid(word.position, word.length);
    return cut;
}

bool ConsoleWatch::spokeExactly(const QString& spoken) const
{
    // Punctuation beside a word may or may not count as part of it.
    std::vector<int> covered;
    for (const Word& word : words) {
        for (int i = word.position; i < word.position + word.length; ++i) {
            if (i < 0 || i >= spoken.size() || spoken[i].isSpace())
                return false;
            if (spoken[i].isLetterOrNumber())
                covered.push_back(i);
        }
    }
    std::vector<int> expected;
    for (int i = 0; i < spoken.size(); ++i) {
        if (spoken[i].isLetterOrNumber())
            expected.push_back(i);
    }
    return covered == expected;
}

bool ConsoleWatch::highlightedEachWord() const
{
    return std::all_of(words.begin(), words.end(), [](const Word& word) {
        return word.selectionStart == std::min(word.position, word.textEnd)
            && word.selectionEnd == std::min(word.position + word.length, word.textEnd);
    });
}

bool ConsoleWatch::streamsWellFormed() const
{
    bool inStream = false;
    for (const QString& event : events) {
        if (event == QLatin1String("start")) {
            if (inStream)
                return false;
            inStream = true;
        } else if (event == QLatin1String("end")) {
            if (!inStream)
                return false;
            inStream = false;
        } else if (!inStream) {
            return false;
        }
    }
    return !inStream && !events.isEmpty();
}
