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
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sndfile.h>

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
} // namespace

// Recording to wave files through the real engine, with the file dialog and message box scripted.
class tst_SaveToWave : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    ScriptedMessages* messages = nullptr;
    std::unique_ptr<QTemporaryDir> dir;

    QStringList log() const { return c->DebugTxtBox->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    QString path(const QString& name) const { return dir->filePath(name); }
    void selectFormat(const QString& name) { c->FormatCB->setCurrentIndex(c->FormatCB->findText(name)); }

    // The voice speaks to the selected output again, in the selected format, and is heard there.
    void speakersWorkAgain(int format)
    {
        QVERIFY(!c->Voice->AudioOutputStream()->isFile());
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), format);
        if (c->Voice->GetAudioOutputs().Count() == 0)
            return;
        QCOMPARE(c->Voice->AudioOutput(), c->Voice->GetAudioOutputs().Item(c->AudioOutputCB->currentIndex()));
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(QStringLiteral("Back to the speakers."));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(words.size(), 4);
    }

private slots:
    void init()
    {
        WindowRegistry::reset();
        messages = &ScriptedMessages::install();
        dialogs = &ScriptedDialogs::install();
        c = &WindowRegistry::get<frmConsole>();
        c->show();
        c->DebugTxtBox->clear();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void cleanup()
    {
        if (c->Voice) {
            c->Voice->Speak(QString(), SVSFPurgeBeforeSpeak);
            c->Voice->Resume();
        }
        WindowRegistry::reset();
        dir.reset();
    }

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
        QCOMPARE(c->FormatCB->currentData().toInt(), value);
        const QString file = path(QStringLiteral("speech.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);

        QCOMPARE(dialogs->fileRequests().size(), size_t(1));
        const FileDialogRequest& asked = dialogs->fileRequests()[0];
        QCOMPARE(asked.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(asked.title, QStringLiteral("Save to a Wave File"));
        QCOMPARE(asked.filter, QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav"));
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
        c->chkSpFlagAync->setChecked(async);
        c->chkShowEvents->click();
        c->MainTxtBox->setPlainText(QStringLiteral("Hello <bookmark mark=\"m\"/>again, and again."));
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QList<qint64> positions;
        QObject context;
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&](int, const QVariant& position) { positions << position.toLongLong(); });
        const QString file = path(QStringLiteral("take.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(c->MainTxtBox->toPlainText());
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
        QVERIFY(!c->StopBtn->isEnabled());
    }

    void nameWithoutExtensionIsKept()
    {
        dialogs->answerFile(path(QStringLiteral("speech")));
        c->SaveToWave(QStringLiteral("Short."));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { "speech" });
        QVERIFY(readWave(path(QStringLiteral("speech"))).readable);
        QCOMPARE(messages->messages().size(), size_t(1));
    }

    void cancelLeavesNothing()
    {
        dialogs->answerFile(path(QStringLiteral("first.wav")));
        c->SaveToWave(QStringLiteral("First."));
        c->DebugTxtBox->clear();
        dialogs->cancelFile();
        c->SaveToWave(QStringLiteral("Second."));
        QCOMPARE(dialogs->fileRequests().size(), size_t(2));
        // The dialog starts with the name of the previous save.
        QCOMPARE(dialogs->fileRequests()[1].fileName, path(QStringLiteral("first.wav")));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { "first.wav" });
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
        c->chkSpFlagIsFilename->click(); // the text names a file that is not there
        dialogs->answerFile(path(QStringLiteral("speech.wav")));
        c->SaveToWave(QStringLiteral("/nonexistent/words.txt"));
        QCOMPARE(log().size(), 2);
        QCOMPARE(log()[0], QStringLiteral("Save to .wav file"));
        QVERIFY(log()[1].startsWith(QStringLiteral("Save to Wave file Error: ")));
        QVERIFY(log()[1].contains(QStringLiteral("/nonexistent/words.txt")));
        QVERIFY(messages->messages().empty());
        c->chkSpFlagIsFilename->click();
        speakersWorkAgain(6);
    }

    void recordingWhilePausedFinishes()
    {
        if (c->Voice->GetAudioOutputs().Count() == 0)
            QSKIP("no audio output");
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(QStringLiteral("One two three four five six seven eight nine ten."));
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 1, 20000);
        c->PauseBtn->click();
        QVERIFY(c->IsPaused);
        const QString file = path(QStringLiteral("paused.wav"));
        dialogs->answerFile(file);
        c->SaveToWave(sentence);
        QCOMPARE(messages->messages().size(), size_t(1));
        QVERIFY(readWave(file).info.frames > 22050);
        QVERIFY(!c->IsPaused);
        QCOMPARE(c->PauseBtn->text(), QStringLiteral("Pause"));
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
