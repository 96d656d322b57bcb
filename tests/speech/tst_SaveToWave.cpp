#include "AudioOutputRequired.h"
#include "ConsoleLog.h"
#include "Controls.h"
#include "RecordingSession.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sndfile.h>
#include <unistd.h>

namespace {
const QString sentence = QStringLiteral("Recording this sentence into a wave file.");

struct Wave {
    bool readable = false;
    SF_INFO info {};
    qint64 loudest = 0;
};

Wave readWave(const QString& path)
{
    Wave wave;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &wave.info);
    if (!file)
        return wave;
    std::vector<short> samples(static_cast<size_t>(wave.info.frames * wave.info.channels));
    const sf_count_t read = sf_readf_short(file, samples.data(), wave.info.frames);
    sf_close(file);
    wave.readable = read == wave.info.frames;
    for (const short sample : samples)
        wave.loudest = std::max<qint64>(wave.loudest, std::abs(int(sample)));
    return wave;
}

// The synthesiser helpers this process started, found by their parent and name.
QList<pid_t> synthesiserHelpers()
{
    QList<pid_t> found;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!isNumber || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state parent ...", where the name may itself hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (line.mid(open + 1, close - open - 1) == "parlora-synth" && rest.value(1).toInt() == ::getpid())
            found << pid;
    }
    return found;
}

// Every file in the folder, hidden ones (a temporary file left behind) included.
QStringList everyFile(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
// Counts the recording progress dialogs shown, and remembers the last one's texts and values.
class ProgressWatch : public QObject {
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("RecordingProgress"))
            ++shown;
        return false;
    }
};

// A text long enough that recording it takes seconds.
QString longText()
{
    QStringList sentences;
    for (int i = 0; i < 400; ++i)
        sentences << QStringLiteral("Sentence number %1 of a long text, recorded into a wave file.").arg(i + 1);
    return sentences.join(QLatin1Char(' '));
}
} // namespace

// Recording to wave files through the real engine, with the file dialog and message box scripted.
class tst_SaveToWave : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    ScriptedMessages* messages = nullptr;
    std::optional<RecordingSession> session;

    QStringList log() const { return session->log(); }
    QString path(const QString& name) const { return session->path(name); }
    void selectFormat(const QString& name)
    {
        control<QComboBox>(*c, "FormatCB")->setCurrentIndex(control<QComboBox>(*c, "FormatCB")->findText(name));
    }

    // The voice speaks to the selected output again, in the selected format, and is heard there.
    void speakersWorkAgain(int format)
    {
        QVERIFY(!c->Voice->AudioOutputStream()->isFile());
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), format);
        if (c->Voice->GetAudioOutputs().Count() == 0) {
            QVERIFY2(!audioOutputRequired(), "no audio output to speak to again");
            return;
        }
        QCOMPARE(c->Voice->AudioOutput(),
            c->Voice->GetAudioOutputs().Item(control<QComboBox>(*c, "AudioOutputCB")->currentIndex()));
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(QStringLiteral("Back to the speakers."));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(words.size(), 4);
    }

private slots:
    void init()
    {
        session.emplace();
        QVERIFY(session->ready());
        c = &session->console();
        dialogs = &session->dialogs();
        messages = &session->messages();
    }

    void cleanup() { session.reset(); }

    void recordsInTheSelectedFormat_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("subtype");
        QTest::newRow("SAFT8kHz16BitMono") << 6 << 8000 << 1 << int(SF_FORMAT_PCM_16);
        QTest::newRow("SAFT48kHz16BitStereo") << 39 << 48000 << 2 << int(SF_FORMAT_PCM_16);
        QTest::newRow("SAFT22kHz16BitMono") << 22 << 22050 << 1 << int(SF_FORMAT_PCM_16);
        QTest::newRow("SAFT11kHz8BitStereo") << 9 << 11025 << 2 << int(SF_FORMAT_PCM_U8);
    }

    void recordsInTheSelectedFormat()
    {
        QFETCH(int, value);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, subtype);
        selectFormat(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->currentData().toInt(), value);
        const QString file = path(QStringLiteral("speech.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);

        QCOMPARE(dialogs->fileRequests().size(), size_t(1));
        const FileDialogRequest& asked = dialogs->fileRequests()[0];
        QCOMPARE(asked.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(asked.title, QStringLiteral("Save to a Wave File"));
        // The wave entries come first, in their order; the compressed kinds follow them.
        QVERIFY(asked.filter.startsWith(QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav|")));
        QCOMPARE(asked.filterIndex, 2);
        QCOMPARE(asked.flags, 34818);
        QCOMPARE(messages->messages().size(), size_t(1));
        QCOMPARE(messages->messages()[0].text, QStringLiteral("WAV file successfully written!"));
        QCOMPARE(messages->messages()[0].title, QStringLiteral("File Saved"));
        QCOMPARE(messages->messages()[0].style, 0);
        QCOMPARE(log(), QStringList { "Save to .wav file" });

        const Wave wave = readWave(file);
        QVERIFY(wave.readable);
        QCOMPARE(wave.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
        QCOMPARE(wave.info.format & SF_FORMAT_SUBMASK, subtype);
        QCOMPARE(wave.info.samplerate, rate);
        QCOMPARE(wave.info.channels, channels);
        QVERIFY2(wave.info.frames > rate, "at least a second of speech");
        QVERIFY(wave.loudest > 2000);
        // The header's length agrees with the file's: the file was finished before the return.
        const qint64 data = wave.info.frames * channels * (subtype == SF_FORMAT_PCM_U8 ? 1 : 2);
        const qint64 header = QFileInfo(file).size() - data;
        QVERIFY2(header >= 44 && header < 200, qPrintable(QString::number(header)));

        speakersWorkAgain(value);
        QCOMPARE(QFileInfo(file).size(), header + data);
    }

    void returnsWhenTheFileIsComplete_data()
    {
        QTest::addColumn<bool>("async");
        QTest::newRow("FlagsAsync ticked") << true;
        QTest::newRow("FlagsAsync unticked") << false;
    }

    void returnsWhenTheFileIsComplete()
    {
        QFETCH(bool, async);
        control<QCheckBox>(*c, "chkSpFlagAync")->setChecked(async);
        control<QCheckBox>(*c, "chkShowEvents")->click();
        control<QPlainTextEdit>(*c, "MainTxtBox")
            ->setPlainText(QStringLiteral("Hello <bookmark mark=\"m\"/>again, and again."));
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QList<qint64> positions;
        QObject context;
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&](int, const QVariant& position) { positions << position.toLongLong(); });
        const QString file = path(QStringLiteral("take.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(control<QPlainTextEdit>(*c, "MainTxtBox")->toPlainText());
        QCOMPARE(ended.size(), 1);
        QCOMPARE(positions.size(), 4);
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
        const QStringList lines = log();
        QCOMPARE(lines.first(), QStringLiteral("Save to .wav file"));
        QVERIFY(lines[1].startsWith(QStringLiteral("  Event: StartStream, ")));
        QVERIFY(lines.last().startsWith(QStringLiteral("  Event: EndStream, ")));
        QCOMPARE(lines.filter(QStringLiteral("  Event: BookMark, ")).size(), 1);
        QCOMPARE(messages->messages().size(), size_t(1));
        // Every byte up to the end of the stream is in the file.
        const Wave wave = readWave(file);
        QVERIFY(wave.readable);
        QCOMPARE(wave.info.frames * 2, ended[0][1].toLongLong());
        QVERIFY(!c->IsSpeaking);
        QVERIFY(!control<QPushButton>(*c, "StopBtn")->isEnabled());
    }

    // A short recording looks as it always did: no progress flashes up.
    void shortRecordingShowsNoProgress()
    {
        ProgressWatch watch;
        dialogs->answerFile(path(QStringLiteral("short.wav")));
        c->SaveToWave(sentence);
        QCOMPARE(messages->messages().size(), size_t(1));
        QCOMPARE(watch.shown, 0);
    }

    // A long recording shows how far it has come, holds every other window's input, and its Cancel
    // leaves no file, one log line and a voice that speaks again.
    void longRecordingShowsProgressAndCancels()
    {
        selectFormat(QStringLiteral("SAFT48kHz16BitStereo"));
        const QString file = path(QStringLiteral("long.wav"));
        dialogs->answerFile(file);
        QList<int> values;
        QString label;
        bool blocked = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != QStringLiteral("RecordingProgress"))
                return;
            blocked = dialog->windowModality() == Qt::ApplicationModal && dialog->isVisible();
            if (values.isEmpty() || values.last() != dialog->value())
                values << dialog->value();
            label = dialog->labelText();
            if (values.size() >= 3 || values.last() >= 500)
                dialog->findChild<QPushButton*>()->click(); // Cancel, as the user clicks it
        });
        poll.start(100);
        c->SaveToWave(longText());
        poll.stop();
        QVERIFY2(values.size() >= 2, "the progress never moved");
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QVERIFY(values.last() > 0 && values.last() < 1000);
        QVERIFY2(label.contains(QStringLiteral("long.wav")) && label.contains(QStringLiteral("% of the text"))
                && label.contains(QStringLiteral("left")),
            qPrintable(label));
        QVERIFY(blocked);
        QCOMPARE(log(),
            QStringList({ QStringLiteral("Save to .wav file"),
                QStringLiteral("Save to Wave file Error: The recording was cancelled.") }));
        QVERIFY(messages->messages().empty());
        // The unfinished file goes when the engine lets go of it.
        QTRY_COMPARE_WITH_TIMEOUT(everyFile(session->folder()), QStringList(), 2000);
        QVERIFY(!c->IsSpeaking);
        speakersWorkAgain(39);
    }

    void nameWithoutExtensionIsKept()
    {
        dialogs->answerFile(path(QStringLiteral("speech")));
        c->SaveToWave(QStringLiteral("Short."));
        QCOMPARE(QDir(session->folder()).entryList(QDir::Files), QStringList { "speech" });
        QVERIFY(readWave(path(QStringLiteral("speech"))).readable);
        QCOMPARE(messages->messages().size(), size_t(1));
    }

    void cancelLeavesNothing()
    {
        dialogs->answerFile(path(QStringLiteral("first.wav")));
        c->SaveToWave(QStringLiteral("First."));
        control<QPlainTextEdit>(*c, "DebugTxtBox")->clear();
        dialogs->cancelFile();
        c->SaveToWave(QStringLiteral("Second."));
        QCOMPARE(dialogs->fileRequests().size(), size_t(2));
        // The dialog starts with the name of the previous save.
        QCOMPARE(dialogs->fileRequests()[1].fileName, path(QStringLiteral("first.wav")));
        QCOMPARE(QDir(session->folder()).entryList(QDir::Files), QStringList { "first.wav" });
        QVERIFY(log().isEmpty());
        QCOMPARE(messages->messages().size(), size_t(1));
        QVERIFY(dialogs->unexpected().isEmpty());
    }

    void unwritableLocation()
    {
        selectFormat(QStringLiteral("SAFT16kHz16BitStereo"));
        const QString file = path(QStringLiteral("missing/speech.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);
        QCOMPARE(log().size(), 1);
        QVERIFY(log()[0].startsWith(QStringLiteral("Save to Wave file Error: ")));
        QVERIFY(log()[0].contains(file));
        QVERIFY(messages->messages().empty());
        QVERIFY(!QFileInfo::exists(file));
        speakersWorkAgain(19);
    }

    void failedRecordingReturnsToTheSpeakers()
    {
        selectFormat(QStringLiteral("SAFT8kHz16BitMono"));
        control<QCheckBox>(*c, "chkSpFlagIsFilename")->click(); // the text names a file that is not there
        dialogs->answerFile(path(QStringLiteral("speech.wav")));
        c->SaveToWave(QStringLiteral("/nonexistent/words.txt"));
        QCOMPARE(log().size(), 2);
        QCOMPARE(log()[0], QStringLiteral("Save to .wav file"));
        QVERIFY(log()[1].startsWith(QStringLiteral("Save to Wave file Error: ")));
        QVERIFY(log()[1].contains(QStringLiteral("/nonexistent/words.txt")));
        QVERIFY(messages->messages().empty());
        control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
        speakersWorkAgain(6);
    }

    // The licence's opening as pasted: the web address in angle brackets is no markup. The whole
    // text goes into the file, and the log tells once that its markup was read as text.
    void recordsPastedTextWithAnAddress()
    {
        const QString text = QStringLiteral(
            "Copyright (C) 2007 Free Software Foundation, Inc. <https://fsf.org/>\n"
            "Everyone is permitted to copy and distribute verbatim copies of this license document, but "
            "changing it is not allowed.");
        QCOMPARE(c->SpeakFlags, 11);
        QStringList words;
        QObject context;
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&](int, const QVariant&, int position, int length) { words << text.mid(position, length); });
        const QString file = path(QStringLiteral("gpl.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(text);

        QCOMPARE(messages->messages().size(), size_t(1));
        QCOMPARE(messages->messages()[0].text, QStringLiteral("WAV file successfully written!"));
        QCOMPARE(log(),
            QStringList({ "Save to .wav file",
                "Markup read as text: Markup error at character 57: unexpected '/' in <https:>" }));
        QCOMPARE(words.join(QLatin1Char('|')),
            QStringLiteral(
                "Copyright|C|2007|Free|Software|Foundation|Inc|<https://fsf.org/>|Everyone|is|permitted|to|"
                "copy|and|distribute|verbatim|copies|of|this|license|document|but|changing|it|is|not|allowed"));
        const Wave wave = readWave(file);
        QVERIFY(wave.readable);
        QCOMPARE(wave.info.samplerate, 22050);
        const double seconds = double(wave.info.frames) / wave.info.samplerate;
        // About a third of a second a word, and the address takes several.
        QVERIFY2(seconds > 0.3 * words.size() && seconds < 1.5 * words.size(), qPrintable(QString::number(seconds)));
        QVERIFY(wave.loudest > 2000);
        QCOMPARE(everyFile(session->folder()), QStringList { "gpl.wav" });
    }

    // A recording that fails creates no file, and a file of that name stays as it was: the
    // speech goes into a temporary file beside it that takes the name only at the end.
    void failedRecordingLeavesNoFile_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("existing");
        QTest::newRow("text file missing, new name") << QStringLiteral("text file missing") << false;
        QTest::newRow("text file missing, file there") << QStringLiteral("text file missing") << true;
    }

    void failedRecordingLeavesNoFile()
    {
        QFETCH(QString, cause);
        QFETCH(bool, existing);
        const QString file = path(QStringLiteral("take.wav"));
        const QByteArray old("the user's own file, not to be lost");
        if (existing) {
            QVERIFY(writeFile(file, old));
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        }
        const QFile::Permissions permissions = QFile::permissions(file);
        QString text = sentence;
        if (cause == QLatin1String("text file missing")) {
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
            text = path(QStringLiteral("missing.txt"));
        }
        dialogs->answerFile(file);
        c->SaveToWave(text);

        QCOMPARE(log().size(), 2);
        QCOMPARE(log()[0], QStringLiteral("Save to .wav file"));
        QVERIFY2(log()[1].startsWith(QStringLiteral("Save to Wave file Error: ")) && log()[1].size() > 30,
            qPrintable(log()[1]));
        QVERIFY(messages->messages().empty());
        // The synthesiser's thread lets go of the stream a moment after the text ended.
        QTRY_COMPARE_WITH_TIMEOUT(
            everyFile(session->folder()), existing ? QStringList { "take.wav" } : QStringList(), 5000);
        if (existing) {
            QCOMPARE(contents(file), old);
            QCOMPARE(QFile::permissions(file), permissions);
        }
        if (control<QCheckBox>(*c, "chkSpFlagIsFilename")->isChecked())
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
        speakersWorkAgain(22);
    }

    // The helper starts with the voice; killed, a new one takes its place and the file is whole.
    void recordingOutlivesTheSynthesiser()
    {
        const QList<pid_t> helpers = synthesiserHelpers();
        QVERIFY(!helpers.isEmpty());
        for (const pid_t helper : helpers)
            QCOMPARE(::kill(helper, SIGKILL), 0);
        const QString file = path(QStringLiteral("take.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);
        QCOMPARE(log(),
            QStringList({ QStringLiteral("Save to .wav file"),
                QStringLiteral("Speech synthesiser restarted (The speech synthesiser stopped unexpectedly.)") }));
        QCOMPARE(messages->messages().size(), size_t(1));
        const Wave wave = readWave(file);
        QVERIFY(wave.readable && wave.info.frames > 22050 && wave.loudest > 1000);
    }

    // A recording that succeeds replaces the file whole, keeps its permissions, and through a
    // symbolic link replaces the file the link names, not the link.
    void recordingReplacesAnExistingFile_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("the file") << false;
        QTest::newRow("a link to it") << true;
    }

    void recordingReplacesAnExistingFile()
    {
        QFETCH(bool, throughLink);
        const QString file = path(QStringLiteral("take.wav"));
        const QString link = path(QStringLiteral("link.wav"));
        QVERIFY(writeFile(file, QByteArray(100000, 'x')));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions permissions = QFile::permissions(file);
        if (throughLink)
            QVERIFY(QFile::link(file, link));
        dialogs->answerFile(throughLink ? link : file);
        c->SaveToWave(QStringLiteral("Short."));

        QCOMPARE(messages->messages().size(), size_t(1));
        QCOMPARE(log(), QStringList { "Save to .wav file" });
        const Wave wave = readWave(file);
        QVERIFY(wave.readable);
        QVERIFY(wave.info.frames > 2000);
        QCOMPARE(QFileInfo(file).size(), 44 + wave.info.frames * 2);
        QCOMPARE(QFile::permissions(file), permissions);
        QCOMPARE(QFileInfo(link).isSymLink(), throughLink);
        QCOMPARE(everyFile(session->folder()),
            throughLink ? QStringList({ "link.wav", "take.wav" }) : QStringList { "take.wav" });
    }

    void recordingWhilePausedFinishes()
    {
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(QStringLiteral("One two three four five six seven eight nine ten."));
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 1, 20000);
        control<QPushButton>(*c, "PauseBtn")->click();
        QVERIFY(c->IsPaused);
        const QString file = path(QStringLiteral("paused.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);
        QCOMPARE(messages->messages().size(), size_t(1));
        QVERIFY(readWave(file).info.frames > 22050);
        QVERIFY(!c->IsPaused);
        QCOMPARE(control<QPushButton>(*c, "PauseBtn")->text(), QStringLiteral("Pause"));
        speakersWorkAgain(22);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tst_SaveToWave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SaveToWave.moc"
