#include "AudioOutputRequired.h"
#include "ConsoleLog.h"
#include "Controls.h"
#include "MonitorRecording.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <climits>
#include <cstring>
#include <functional>

using Emit = std::function<void(SpVoice&)>;
Q_DECLARE_METATYPE(Emit)

namespace {

// The sink the console's first output entry plays on.
QString defaultSink()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), { QStringLiteral("get-default-sink") });
    pactl.waitForFinished(5000);
    return QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
}
const QString wholeFace = QStringLiteral("MICFULL");
const QString highlightFailure
    = QStringLiteral("Failed to high light words. This may be caused by too many charaters in the main text box.");

QVariant at(qint64 position)
{
    return QVariant(position);
}

// The picture each viseme lays over the face, as the face's table gives it.
QVariant expectedOverlay(int viseme)
{
    switch (viseme) {
    case 0:
    case 1:
        return 1;
    case 2:
    case 8:
    case 14:
    case 20:
        return QStringLiteral("MICEYECLOSED");
    case 5:
    case 11:
    case 17:
    case 23:
    case 24:
        return QStringLiteral("MICEYENARROW");
    default:
        return viseme >= 3 && viseme <= 22 ? QVariant(viseme) : QVariant(wholeFace);
    }
}
} // namespace

// The console's voice events: their log lines, the highlight, the voice list and the face.
// Events are raised through the console's real voice object.
class tst_VoiceEvents : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;

    QStringList log() const { return consoleLogLines(c->logText()); }
    QPair<int, int> selection() const
    {
        const QTextCursor cursor = control<QPlainTextEdit>(*c, "MainTxtBox")->textCursor();
        return { cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart() };
    }
    QImage face() const
    {
        return control<QLabel>(*c, "VisemePicture")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage composed(const QVariant& overlay) const
    {
        return c->Composite(wholeFace, overlay).convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init()
    {
        WindowRegistry::reset();
        ScriptedMessages::install();
        c = &WindowRegistry::get<frmConsole>();
        c->show();
        control<QPlainTextEdit>(*c, "DebugTxtBox")->clear();
    }

    void cleanup()
    {
        if (c->Voice) {
            c->Voice->Speak(QString(), SVSFPurgeBeforeSpeak);
            c->Voice->Resume();
        }
        WindowRegistry::reset();
    }

    void eventLines_data()
    {
        QTest::addColumn<Emit>("raise");
        QTest::addColumn<QString>("line");
        QTest::newRow("StartStream") << Emit([](SpVoice& v) { emit v.StartStream(1, at(0)); })
                                     << "  Event: StartStream, StreamNum=1, StreamPos=0";
        QTest::newRow("EndStream") << Emit([](SpVoice& v) { emit v.EndStream(3, at(5000000000)); })
                                   << "  Event: EndStream, StreamNum=3, StreamPos=5000000000";
        QTest::newRow("VoiceChange") << Emit([](SpVoice& v) {
            emit v.VoiceChange(2, at(640), SpObjectToken(QStringLiteral("x"), QStringLiteral("Nobody here")));
        }) << "  Event: VoiceChange, StreamNum=2, StreamPos=640, Token=Nobody here";
        QTest::newRow("Bookmark with a comma")
            << Emit([](SpVoice& v) { emit v.Bookmark(2, at(9600), QStringLiteral("one, two"), 7); })
            << "  Event: BookMark, StreamNumber=2, StreamPosition=9600, Bookmark=one, two, BookmarkId=7";
        QTest::newRow("Word") << Emit([](SpVoice& v) { emit v.Word(1, at(6400), 6, 5); })
                              << "  Event: Word, StreamNum=1, StreamPos=6400, Pos=6, Length=5";
        QTest::newRow("Sentence") << Emit([](SpVoice& v) { emit v.Sentence(1, at(0), 0, 27); })
                                  << "  Event: Sentence, StreamNum=1, StreamPos=0, Pos=0, Length=27";
        QTest::newRow("Phoneme without duration")
            << Emit([](SpVoice& v) { emit v.Phoneme(1, at(8800), 120, 12, 1, -3); })
            << "  Event: Phoneme, StreamNumber=1, StreamPosition=8800, NextPhoneId=12, Feature=1, CurrentPhoneId=-3";
        QTest::newRow("Viseme with duration, 0 kept")
            << Emit([](SpVoice& v) { emit v.Viseme(1, at(8800), 95, 7, 0, 0); })
            << "  Event: Viseme, StreamNum=1, StreamPos=8800, Duration=95, VisemeType=7, Feature=0, VisemeId=0";
        QTest::newRow("AudioLevel") << Emit([](SpVoice& v) { emit v.AudioLevel(4, at(44), -87); })
                                    << "  Event: AudioLevel, StreamNumber=4, StreamPosition=44, AudioLevel=-87";
        QTest::newRow("EnginePrivate") << Emit([](SpVoice& v) { emit v.EnginePrivate(1, -5, QVariant(42)); })
                                       << "  Event: EnginePrivate, StreamNumber=1, StreamPosition=-5, lParam=42";
        QTest::newRow("a position that is not a whole number")
            << Emit([](SpVoice& v) { emit v.StartStream(1, QVariant(2.5)); })
            << "  Event: StartStream, StreamNum=1, StreamPos=2.5";
        QTest::newRow("an empty private value") << Emit([](SpVoice& v) { emit v.EnginePrivate(1, 0, QVariant()); })
                                                << "  Event: EnginePrivate, StreamNumber=1, StreamPosition=0, lParam=";
    }

    void eventLines()
    {
        QFETCH(Emit, raise);
        QFETCH(QString, line);
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(QStringLiteral("Hello there, world of words."));
        QVERIFY(!control<QCheckBox>(*c, "chkShowEvents")->isChecked());
        raise(*c->Voice);
        QCOMPARE(control<QPlainTextEdit>(*c, "DebugTxtBox")->toPlainText(), QString());
        control<QCheckBox>(*c, "chkShowEvents")->click();
        raise(*c->Voice);
        QCOMPARE(control<QPlainTextEdit>(*c, "DebugTxtBox")->toPlainText(), line + QLatin1Char('\n'));
        control<QCheckBox>(*c, "chkShowEvents")->setCheckState(Qt::PartiallyChecked); // only a tick turns lines on
        raise(*c->Voice);
        QCOMPARE(log().size(), 1);
    }

    void logFollowsTheNewestLine()
    {
        control<QCheckBox>(*c, "chkShowEvents")->click();
        emit c->Voice->StartStream(1, at(0));
        QTextCursor clicked(control<QPlainTextEdit>(*c, "DebugTxtBox")->document());
        clicked.setPosition(2);
        clicked.setPosition(9, QTextCursor::KeepAnchor);
        control<QPlainTextEdit>(*c, "DebugTxtBox")->setTextCursor(clicked); // the user selected part of the first line
        for (int i = 0; i < 300; ++i)
            emit c->Voice->Phoneme(1, at(i * 100), 90, 3, 0, 4);
        QCOMPARE(log().size(), 301);
        QCOMPARE(log().last(),
            QStringLiteral("  Event: Phoneme, StreamNumber=1, StreamPosition=29900, NextPhoneId=3, Feature=0, "
                           "CurrentPhoneId=4"));
        const QTextCursor caret = control<QPlainTextEdit>(*c, "DebugTxtBox")->textCursor();
        QVERIFY(!caret.hasSelection());
        QCOMPARE(caret.position(), control<QPlainTextEdit>(*c, "DebugTxtBox")->document()->characterCount() - 1);
        const QScrollBar* bar = control<QPlainTextEdit>(*c, "DebugTxtBox")->verticalScrollBar();
        // Once the event loop runs, the box has scrolled to show the newest line and the caret after it.
        QTRY_VERIFY(bar->value() > 250);
        const QRect shown = control<QPlainTextEdit>(*c, "DebugTxtBox")->viewport()->rect();
        QTextCursor newest(control<QPlainTextEdit>(*c, "DebugTxtBox")->document()->lastBlock().previous());
        QVERIFY(shown.contains(control<QPlainTextEdit>(*c, "DebugTxtBox")->cursorRect(newest)));
        QVERIFY(shown.contains(control<QPlainTextEdit>(*c, "DebugTxtBox")->cursorRect()));
    }

    void effectsFollowWhetherShownOrNot_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("Show Events off") << false;
        QTest::newRow("Show Events on") << true;
    }

    void effectsFollowWhetherShownOrNot()
    {
        QFETCH(bool, shown);
        control<QCheckBox>(*c, "chkShowEvents")->setChecked(shown);
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(QStringLiteral("One two three."));
        SpVoice& v = *c->Voice;
        c->SetSpeakState(false, true);
        emit v.StartStream(1, at(0));
        QVERIFY(c->IsSpeaking && c->IsPaused);
        QVERIFY(control<QPushButton>(*c, "StopBtn")->isEnabled() && !control<QPushButton>(*c, "SkipBtn")->isEnabled()
            && control<QPushButton>(*c, "PauseBtn")->text() == "Resume");
        c->SetSpeakState(true, false);
        emit v.Word(1, at(100), 4, 3);
        QCOMPARE(selection(), qMakePair(4, 3));
        QCOMPARE(control<QPlainTextEdit>(*c, "MainTxtBox")->textCursor().selectedText(), QStringLiteral("two"));
        emit v.Viseme(1, at(120), 80, 9, 0, 9);
        QCOMPARE(face(), composed(9));
        emit v.VoiceChange(1, at(140), v.GetVoices().Item(2));
        QCOMPARE(control<QComboBox>(*c, "VoiceCB")->currentIndex(), 2);
        emit v.EndStream(1, at(160));
        QCOMPARE(selection(), qMakePair(0, 14));
        QCOMPARE(face(), composed(wholeFace));
        QVERIFY(!c->IsSpeaking && !c->IsPaused);
        QVERIFY(!control<QPushButton>(*c, "StopBtn")->isEnabled() && !control<QPushButton>(*c, "PauseBtn")->isEnabled()
            && control<QPushButton>(*c, "SpeakBtn")->isEnabled());
        QCOMPARE(log().size(), shown ? 5 : 0);
    }

    void highlight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a word") << "Hello brave world" << 6 << 5 << 6 << 5 << false;
        QTest::newRow("on the second line") << "First line\nsecond line" << 11 << 6 << 11 << 6 << false;
        QTest::newRow("running past the end") << "Short" << 3 << 50 << 3 << 2 << false;
        QTest::newRow("starting past the end") << "Short" << 40 << 2 << 5 << 0 << false;
        QTest::newRow("the largest length") << "Short" << 1 << INT_MAX << 1 << 4 << false;
        QTest::newRow("negative start") << "Hello brave world" << -1 << 3 << 2 << 0 << true;
        QTest::newRow("negative length: the start holds") << "Hello brave world" << 6 << -2 << 6 << 0 << true;
    }

    void highlight()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(bool, refused);
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(text);
        c->HighlightSpan(2, 0);
        for (const bool shown : { false, true }) {
            control<QCheckBox>(*c, "chkShowEvents")->setChecked(shown);
            emit c->Voice->Word(1, at(0), start, length);
        }
        QCOMPARE(selection(), qMakePair(selStart, selLength));
        const QString wordLine
            = QStringLiteral("  Event: Word, StreamNum=1, StreamPos=0, Pos=%1, Length=%2").arg(start).arg(length);
        // Once per event, also unshown, and after the event's own line.
        QStringList expected;
        if (refused)
            expected << highlightFailure;
        expected << wordLine;
        if (refused)
            expected << highlightFailure;
        QCOMPARE(log(), expected);
    }

    void noHighlightForFileNames()
    {
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(QStringLiteral("/tmp/some file.txt"));
        c->HighlightSpan(1, 3);
        control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
        emit c->Voice->Word(1, at(0), 5, 4);
        emit c->Voice->Word(1, at(0), -5, 4);
        emit c->Voice->EndStream(1, at(0));
        QCOMPARE(selection(), qMakePair(1, 3));
        QVERIFY(log().isEmpty());
    }

    void endOfStreamSelectsTheWholeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("one line") << "Hello world.";
        QTest::newRow("empty box") << "";
        QTest::newRow("several lines") << "First\nsecond\n\nfourth\n";
    }

    void endOfStreamSelectsTheWholeText()
    {
        QFETCH(QString, text);
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(text);
        c->HighlightSpan(0, 0);
        emit c->Voice->Viseme(1, at(0), 10, 0, 0, 8);
        emit c->Voice->EndStream(1, at(0));
        QCOMPARE(selection(), qMakePair(0, int(text.size())));
        QCOMPARE(control<QPlainTextEdit>(*c, "MainTxtBox")->textCursor().selectedText().size(), text.size());
        QCOMPARE(face(), composed(wholeFace));
        QVERIFY(log().isEmpty());
    }

    void voiceChange_data()
    {
        QTest::addColumn<int>("token"); // index into the voice collection; -1 for a token of nobody
        QTest::addColumn<int>("duplicateOf"); // entry 1 is given the text of this entry first; -1 none
        QTest::addColumn<int>("selected");
        QTest::newRow("a listed voice") << 3 << -1 << 3;
        QTest::newRow("the first of two equal entries") << 4 << 4 << 1;
        QTest::newRow("an unknown description") << -1 << -1 << 2;
        QTest::newRow("a renamed entry is no longer found") << 1 << 4 << 2;
    }

    void voiceChange()
    {
        QFETCH(int, token);
        QFETCH(int, duplicateOf);
        QFETCH(int, selected);
        const SpObjectTokens voices = c->Voice->GetVoices();
        QVERIFY(voices.Count() >= 5);
        control<QComboBox>(*c, "VoiceCB")->setCurrentIndex(2);
        if (duplicateOf >= 0)
            control<QComboBox>(*c, "VoiceCB")->setItemText(1, control<QComboBox>(*c, "VoiceCB")->itemText(duplicateOf));
        const SpObjectToken changed
            = token >= 0 ? voices.Item(token) : SpObjectToken(QStringLiteral("none"), QStringLiteral("Nobody"));
        control<QCheckBox>(*c, "chkShowEvents")->click();
        emit c->Voice->VoiceChange(1, at(0), changed);
        QCOMPARE(control<QComboBox>(*c, "VoiceCB")->currentIndex(), selected);
        // The list position stands for the voice at that position of the engine's collection.
        QCOMPARE(c->Voice->Voice(), voices.Item(selected));
        QCOMPARE(log(),
            QStringList { "  Event: VoiceChange, StreamNum=1, StreamPos=0, Token=" + changed.GetDescription(0) });
    }

    void voiceChangeToATokenWithoutDescription()
    {
        control<QComboBox>(*c, "VoiceCB")->setCurrentIndex(1);
        emit c->Voice->VoiceChange(1, at(0), SpObjectToken());
        QCOMPARE(control<QComboBox>(*c, "VoiceCB")->currentIndex(), 1);
        QCOMPARE(log().size(), 1);
        QVERIFY(log()[0].startsWith(QStringLiteral("VoiceChange event error: ")));
        QVERIFY(log()[0].size() > 30);
        emit c->Voice->Word(1, at(0), 0, 5); // the console goes on
        QCOMPARE(selection(), qMakePair(0, 5));
    }

    void faceForEveryViseme_data()
    {
        QTest::addColumn<int>("viseme");
        for (int v = -1; v <= 24; ++v)
            QTest::addRow("%d", v) << v;
        QTest::newRow("99") << 99;
        QTest::newRow("lowest") << INT_MIN;
    }

    void faceForEveryViseme()
    {
        QFETCH(int, viseme);
        emit c->Voice->Viseme(1, at(0), 10, 0, 0, 3); // a mouth shape other than rest
        emit c->Voice->Viseme(1, at(0), 10, 0, 0, viseme);
        const QVariant overlay = expectedOverlay(viseme);
        QCOMPARE(face(), composed(overlay));
        // Only the band of the picture laid over changes; the rest of the face is picture 1.
        int first = 0, last = -1;
        if (overlay.typeId() == QMetaType::QString && overlay.toString() != wholeFace)
            first = 53, last = 71;
        else if (overlay.typeId() == QMetaType::Int && overlay.toInt() > 1)
            first = 71, last = 93;
        const QImage rest = composed(wholeFace);
        const QImage shown = face();
        for (int y = 0; y < 128; ++y) {
            if (y < first || y > last)
                QVERIFY2(std::memcmp(shown.constScanLine(y), rest.constScanLine(y), 128 * 4) == 0,
                    qPrintable(QString::number(y)));
        }
        QVERIFY(log().isEmpty());
    }

    void pictures()
    {
        const ImageList& list = c->mouthPictures();
        QCOMPARE(list.count(), 24);
        QCOMPARE(list.picture(QStringLiteral("MICFULL")), list.picture(1));
        QCOMPARE(list.picture(QStringLiteral("MICEYECLOSED")), list.picture(23));
        QCOMPARE(list.picture(QStringLiteral("MICEYENARROW")), list.picture(24));
        const auto band = [](int number) {
            if (number == 1)
                return QRect(QPoint(18, 26), QPoint(117, 121));
            if (number >= 23)
                return QRect(QPoint(18, 53), QPoint(117, 71));
            return QRect(QPoint(18, 71), QPoint(117, number == 14 ? 93 : 92));
        };
        for (int number = 1; number <= 24; ++number) {
            const QImage file(QStringLiteral(":/console/face/%1.png").arg(number, 2, 10, QLatin1Char('0')));
            QCOMPARE(file.size(), QSize(128, 128));
            QVERIFY(!file.hasAlphaChannel());
            QVERIFY(file.depth() >= 24);
            const QImage& picture = list.picture(number);
            // Opaque only inside the picture's region, and reaching every edge of it; a band is
            // opaque throughout, so that it replaces its whole strip of the face.
            QRect opaque;
            for (int y = 0; y < 128; ++y) {
                for (int x = 0; x < 128; ++x) {
                    if ((picture.pixel(x, y) & 0xFFFFFF) != 0xFF00FF)
                        opaque |= QRect(x, y, 1, 1);
                    else if (number > 1 && band(number).contains(x, y))
                        QFAIL(qPrintable(QStringLiteral("picture %1 at %2,%3").arg(number).arg(x).arg(y)));
                }
            }
            QCOMPARE(opaque, band(number));
        }
        // Mouth pictures: twelve shapes, the shared ones identical, all others different.
        const QList<QList<int>> shapes { { 2, 3, 4, 6, 12, 22 }, { 7, 10, 13, 21 }, { 16, 20 }, { 5 }, { 8 }, { 9 },
            { 11 }, { 14 }, { 15 }, { 17 }, { 18 }, { 19 } };
        for (qsizetype i = 0; i < shapes.size(); ++i) {
            for (const int member : shapes[i])
                QCOMPARE(list.picture(member), list.picture(shapes[i][0]));
            for (qsizetype j = i + 1; j < shapes.size(); ++j)
                QVERIFY2(list.picture(shapes[i][0]) != list.picture(shapes[j][0]),
                    qPrintable(QStringLiteral("%1 and %2").arg(shapes[i][0]).arg(shapes[j][0])));
            // Every mouth differs from the face's own smile.
            QVERIFY(composed(shapes[i][0]) != composed(wholeFace));
        }
        QVERIFY(list.picture(23) != list.picture(24));
        QVERIFY(composed(23) != composed(wholeFace) && composed(24) != composed(wholeFace));
    }

    void restFaceAfterStreamAndReset()
    {
        emit c->Voice->Viseme(1, at(0), 10, 0, 0, 9);
        QCOMPARE(face(), composed(9));
        emit c->Voice->EndStream(1, at(0));
        QCOMPARE(face(), composed(wholeFace));
        emit c->Voice->Viseme(1, at(0), 10, 0, 0, 14);
        QCOMPARE(face(), composed(QStringLiteral("MICEYECLOSED")));
        control<QPushButton>(*c, "ResetBtn")->click();
        QCOMPARE(face(), composed(wholeFace));
        // The ground is the button face, with the face's own pixels over it.
        QCOMPARE(face().pixel(0, 0), ImageList::toQColor(c->mouthPictures().BackColor).rgb());
    }

    void eventsFromTheEngine()
    {
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        const QString text = QStringLiteral("Hello <bookmark mark=\"one, two\"/>brave new world.");
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(text);
        control<QCheckBox>(*c, "chkShowEvents")->click();
        QStringList highlighted;
        QObject context;
        // Connected after the console, so it sees the selection the console made.
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&] { highlighted << control<QPlainTextEdit>(*c, "MainTxtBox")->textCursor().selectedText(); });
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        control<QPushButton>(*c, "SpeakBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(highlighted, QStringList({ "Hello", "brave", "new", "world" }));
        const QStringList lines = log();
        QCOMPARE(lines.first(), QStringLiteral("Speak"));
        QVERIFY(lines[1].startsWith(QStringLiteral("  Event: StartStream, StreamNum=")));
        QVERIFY(lines.last().startsWith(QStringLiteral("  Event: EndStream, StreamNum=")));
        QCOMPARE(lines.filter(QStringLiteral("Event: Word,")).size(), 4);
        const QStringList marks = lines.filter(QStringLiteral("Event: BookMark,"));
        QCOMPARE(marks.size(), 1);
        QVERIFY(marks[0].contains(QStringLiteral(", Bookmark=one, two, BookmarkId=")));
        QVERIFY(lines.filter(QStringLiteral("Event: Viseme,")).size() >= 10);
        QVERIFY(lines.filter(QStringLiteral("Event: Phoneme,")).size() >= 10);
        QCOMPARE(selection(), qMakePair(0, int(text.size())));
        QCOMPARE(face(), composed(wholeFace));
        QVERIFY(!c->IsSpeaking && !control<QPushButton>(*c, "StopBtn")->isEnabled());
    }

    // Pasted text with angle brackets that are no markup is heard and highlighted word by word
    // through the speakers, and the log tells once that its markup was read as text.
    void pastedTextIsSpokenAndHighlighted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("problem");
        QTest::newRow("web address") << QStringLiteral(
            "Free Software Foundation, Inc. <https://fsf.org/> Everyone is permitted to copy.")
                                     << QStringList { "Free", "Software", "Foundation", "Inc", "<https://fsf.org/>",
                                            "Everyone", "is", "permitted", "to", "copy" }
                                     << QStringLiteral("Markup error at character 38: unexpected '/' in <https:>");
        QTest::newRow("mail header") << QStringLiteral("From: Ada <ada@example.org>")
                                     << QStringList { "From", "Ada", "<ada@example.org>" }
                                     << QStringLiteral("Markup error at character 14: unexpected '@' in <ada>");
    }

    void pastedTextIsSpokenAndHighlighted()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(QString, problem);
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QCOMPARE(c->SpeakFlags, 11); // markup on, as the console starts
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(text);
        // Heard, not only counted: the default sink's monitor, where the console's output plays.
        MonitorRecording heard(QString(), defaultSink());
        QVERIFY2(heard.start(), "the default sink's monitor cannot be recorded");
        const qint64 before = heard.samples();
        QStringList highlighted;
        QObject context;
        // Connected after the console, so it sees the selection the console made.
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&] { highlighted << control<QPlainTextEdit>(*c, "MainTxtBox")->textCursor().selectedText(); });
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        c->funcVoiceSpeak(text);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 30000);
        QCOMPARE(highlighted, words);
        QCOMPARE(log(), QStringList({ "Speak", "Markup read as text: " + problem }));
        // Each of these texts takes over a second to say; half a second of it is well clear of noise.
        QTRY_VERIFY_WITH_TIMEOUT(heard.loudSamples(before) > MonitorRecording::rate / 2, 5000);
        QVERIFY(!c->IsSpeaking);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tst_VoiceEvents test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VoiceEvents.moc"
