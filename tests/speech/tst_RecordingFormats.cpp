#include "ConsoleLog.h"
#include "Controls.h"
#include "FileBytes.h"
#include "MessageBoxes.h"
#include "RecordingSession.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "SubtitleText.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sndfile.h>

namespace {
constexpr int allFiles = 1, waveFiles = 2, mp3Files = 3, vorbisFiles = 4, opusFiles = 5, flacFiles = 6;

// Markup, an entity and letters outside ASCII, and a sentence too long for one cue.
const QString story = QStringLiteral(
    "Grüße aus Köln, sagte sie. <emph>Très</emph> bien &amp; merci! This third sentence is long enough "
    "that its words must go over two lines, and then on into another cue after those. Short end.");
const QStringList storySentences { QStringLiteral("Grüße aus Köln, sagte sie."), QStringLiteral("Très bien & merci!"),
    QStringLiteral("This third sentence is long enough that its words must go over two lines, and then on "
                   "into another cue after those."),
    QStringLiteral("Short end.") };

int containerOf(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return 0;
    sf_close(file);
    return info.format & SF_FORMAT_TYPEMASK;
}

struct Cue {
    int number = 0;
    qint64 start = 0;
    qint64 end = 0;
    QStringList lines;
};

qint64 milliseconds(const QRegularExpressionMatch& match, int first)
{
    return ((match.captured(first).toLongLong() * 60 + match.captured(first + 1).toLongLong()) * 60
               + match.captured(first + 2).toLongLong())
        * 1000
        + match.captured(first + 3).toLongLong();
}

std::vector<Cue> readSubRip(const QString& text)
{
    static const QRegularExpression times(
        QStringLiteral(R"(^(\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d)$)"));
    std::vector<Cue> cues;
    for (const QString& block : text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        const QStringList lines = block.split(QLatin1Char('\n'));
        const QRegularExpressionMatch match = times.match(lines.value(1));
        if (lines.size() < 3 || !match.hasMatch())
            return {};
        cues.push_back({ lines[0].toInt(), milliseconds(match, 1), milliseconds(match, 5), lines.mid(2) });
    }
    return cues;
}

struct LrcLine {
    qint64 start = 0;
    std::vector<std::pair<qint64, QString>> words;
};

qint64 lrcMilliseconds(const QString& stamp)
{
    return stamp.section(QLatin1Char(':'), 0, 0).toLongLong() * 60000
        + qRound64(stamp.section(QLatin1Char(':'), 1).toDouble() * 1000);
}

std::vector<LrcLine> readLrc(const QString& text)
{
    static const QRegularExpression line(QStringLiteral(R"(^\[(\d+:\d\d\.\d\d)\](.*)$)"));
    static const QRegularExpression word(QStringLiteral(R"(<(\d+:\d\d\.\d\d)>([^<]*))"));
    std::vector<LrcLine> lines;
    for (const QString& row : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(row);
        if (!match.hasMatch())
            continue; // a tag line such as [ti:...]
        LrcLine parsed { lrcMilliseconds(match.captured(1)), {} };
        for (const auto& w : word.globalMatch(match.captured(2)))
            parsed.words.emplace_back(lrcMilliseconds(w.captured(1)), w.captured(2).trimmed());
        lines.push_back(parsed);
    }
    return lines;
}

// The loudness of a wave file in 1 ms steps, and where sound starts after a pause: the
// synthesiser's pauses are digital silence, so the first sample above a whisper is the sound.
class Envelope {
public:
    explicit Envelope(const QString& path)
    {
        SF_INFO info {};
        SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
        if (!file)
            return;
        std::vector<short> samples(static_cast<size_t>(info.frames));
        sf_readf_short(file, samples.data(), info.frames);
        sf_close(file);
        const auto sampleAt = [&](qint64 ms) { return std::min(samples.size(), size_t(ms * info.samplerate / 1000)); };
        for (qint64 ms = 0; sampleAt(ms) < samples.size(); ms += stepMs) {
            int loudest = 0;
            for (size_t j = sampleAt(ms); j < sampleAt(ms + stepMs); ++j)
                loudest = std::max(loudest, std::abs(int(samples[j])));
            m_steps.push_back(loudest);
        }
    }

    // The first sound at or after from that follows 60 ms of quiet; -1 when there is none.
    qint64 onsetAfter(qint64 from) const
    {
        constexpr int quietSteps = 60 / stepMs;
        // The file's start counts as quiet.
        for (auto i = static_cast<size_t>(std::max<qint64>(0, from / stepMs)); i < m_steps.size(); ++i) {
            if (m_steps[i] < whisper)
                continue;
            const auto quietFrom
                = m_steps.begin() + static_cast<qsizetype>(std::max<size_t>(i, quietSteps) - quietSteps);
            if (std::all_of(quietFrom, m_steps.begin() + static_cast<qsizetype>(i), [&](int s) { return s < whisper; }))
                return qint64(i) * stepMs;
        }
        return -1;
    }
    qint64 lastSound() const
    {
        for (size_t i = m_steps.size(); i-- > 0;)
            if (m_steps[i] >= whisper)
                return qint64(i + 1) * stepMs;
        return 0;
    }

private:
    static constexpr int stepMs = 1;
    static constexpr int whisper = 100;
    std::vector<int> m_steps;
};
} // namespace

// Recording into compressed files and writing subtitles beside them, through the real engine.
class tst_RecordingFormats : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    ScriptedMessages* messages = nullptr;
    std::optional<RecordingSession> session;

    QStringList log() const { return session->log(); }
    QString path(const QString& name) const { return session->path(name); }
    QStringList files() const { return QDir(session->folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

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

    // The kind follows the chosen entry, or under "All Files" the name's extension; an entry of a
    // compressed kind gives a bare name its extension, a wave file keeps the name as typed.
    void kindFollowsTheEntryOrTheName_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("subtitles");
        QTest::addColumn<QStringList>("written"); // the audio file first, then the rest by name
        QTest::addColumn<int>("container");
        const auto row
            = [](const char* name, int entry, const char* typed, bool subtitles, QStringList written, int container) {
                  QTest::newRow(name) << entry << QString(typed) << subtitles << written << container;
              };
        row("wave entry, bare name", waveFiles, "talk", false, { "talk" }, SF_FORMAT_WAV);
        row("all files, .mp3", allFiles, "talk.mp3", false, { "talk.mp3" }, SF_FORMAT_MPEG);
        row("all files, .FLAC", allFiles, "talk.FLAC", false, { "talk.FLAC" }, SF_FORMAT_FLAC);
        row("all files, other extension", allFiles, "talk.snd", false, { "talk.snd" }, SF_FORMAT_WAV);
        row("mp3 entry, bare name, subtitles", mp3Files, "talk", true, { "talk.mp3", "talk.lrc", "talk.srt" },
            SF_FORMAT_MPEG);
        row("vorbis entry, bare name", vorbisFiles, "talk", false, { "talk.ogg" }, SF_FORMAT_OGG);
        row("opus entry, bare name, subtitles", opusFiles, "talk", true, { "talk.opus", "talk.lrc", "talk.srt" },
            SF_FORMAT_OGG);
        row("flac entry, own extension kept", flacFiles, "talk.audio", false, { "talk.audio" }, SF_FORMAT_FLAC);
        row("wave entry, subtitles", waveFiles, "talk", true, { "talk", "talk.lrc", "talk.srt" }, SF_FORMAT_WAV);
    }

    void kindFollowsTheEntryOrTheName()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(bool, subtitles);
        QFETCH(QStringList, written);
        QFETCH(int, container);
        c->WriteSubtitles = subtitles;
        dialogs->answerFile(path(typed), entry);
        c->SaveToWave(QStringLiteral("A short take."));

        const QString filter = dialogs->fileRequests().at(0).filter;
        QVERIFY(filter.startsWith(QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav|")));
        QCOMPARE(filter.split(QLatin1Char('|')).size(), 12);
        QCOMPARE(dialogs->fileRequests().at(0).filterIndex, waveFiles);
        QStringList sorted = written;
        sorted.sort();
        QCOMPARE(files(), sorted);
        QCOMPARE(containerOf(path(written[0])), container);
        QCOMPARE(log(), QStringList { "Save to .wav file" });
        QCOMPARE(messages->messages().size(), size_t(1));
    }

    // The extension added to a name was not asked about in the dialog: replacing a file of that
    // name is asked here, and No is a cancel.
    void addedExtensionAsksBeforeReplacing()
    {
        const QByteArray old("an older take");
        QVERIFY(writeFile(path(QStringLiteral("talk.mp3")), old));
        dialogs->answerFile(path(QStringLiteral("talk")), mp3Files);
        messages->answer(vbNo);
        c->SaveToWave(QStringLiteral("Not written."));
        QCOMPARE(messages->messages().size(), size_t(1));
        QVERIFY(messages->messages()[0].text.contains(path(QStringLiteral("talk.mp3"))));
        QCOMPARE(messages->messages()[0].style, int(vbYesNo | vbExclamation));
        QVERIFY(log().isEmpty());
        QCOMPARE(fileBytes(path(QStringLiteral("talk.mp3"))), old);

        dialogs->answerFile(path(QStringLiteral("talk")), mp3Files);
        messages->answer(vbYes);
        c->SaveToWave(QStringLiteral("Written over it."));
        QCOMPARE(messages->messages().size(), size_t(3));
        QCOMPARE(messages->messages()[2].title, QStringLiteral("File Saved"));
        QCOMPARE(containerOf(path(QStringLiteral("talk.mp3"))), SF_FORMAT_MPEG);
        QVERIFY(messages->unexpected().isEmpty());
    }

    // The cues are in order, touch without overlapping, cover the speech, hold at most two lines
    // of 42 characters and the sentences' text without markup; each sentence starts where its
    // first word is heard in the file, in the SubRip cue and in the LRC line alike.
    void subtitlesFollowTheSpeech()
    {
        c->WriteSubtitles = true;
        std::vector<qint64> wordEvents;
        QObject context;
        connect(c->Voice.get(), &SpVoice::Word, &context,
            [&](int, const QVariant& position) { wordEvents.push_back(position.toLongLong() / 2 * 1000 / 22050); });
        dialogs->answerFile(path(QStringLiteral("story.wav")));
        c->SaveToWave(story);
        QCOMPARE(files(), QStringList({ "story.lrc", "story.srt", "story.wav" }));

        const QByteArray subRipBytes = fileBytes(path(QStringLiteral("story.srt")));
        const QString subRip = QString::fromUtf8(subRipBytes);
        QCOMPARE(subRip.toUtf8(), subRipBytes); // valid UTF-8
        const std::vector<Cue> cues = readSubRip(subRip);
        QVERIFY2(qsizetype(cues.size()) > storySentences.size(), qPrintable(subRip)); // the long one takes two
        QStringList text;
        for (size_t i = 0; i < cues.size(); ++i) {
            QCOMPARE(cues[i].number, int(i + 1));
            QVERIFY(cues[i].start < cues[i].end);
            if (i > 0)
                QCOMPARE(cues[i].start, cues[i - 1].end);
            QVERIFY(cues[i].lines.size() <= 2);
            for (const QString& line : cues[i].lines)
                QVERIFY2(line.size() <= 42 && line == line.trimmed(), qPrintable(line));
            text << cues[i].lines;
        }
        QCOMPARE(text.join(QLatin1Char(' ')), storySentences.join(QLatin1Char(' ')));

        const QString lrcText = QString::fromUtf8(fileBytes(path(QStringLiteral("story.lrc"))));
        QVERIFY2(lrcText.startsWith(QStringLiteral("[ti:Grüße aus Köln, sagte sie. Très bien & merci!")),
            qPrintable(lrcText));
        const std::vector<LrcLine> lines = readLrc(lrcText);
        QCOMPARE(lines.size(), size_t(storySentences.size()));
        std::vector<qint64> wordTimes;
        for (size_t i = 0; i < lines.size(); ++i) {
            QStringList words;
            for (const auto& [time, word] : lines[i].words) {
                words << word;
                wordTimes.push_back(time);
            }
            QCOMPARE(words.join(QLatin1Char(' ')), storySentences[i]);
            QCOMPARE(lines[i].words.front().first, lines[i].start);
        }
        QVERIFY(std::is_sorted(wordTimes.begin(), wordTimes.end()));
        // Every word has its own stamp, from its own event (LRC keeps hundredths).
        QCOMPARE(wordTimes.size(), wordEvents.size());
        for (size_t i = 0; i < wordTimes.size(); ++i)
            QVERIFY(std::abs(wordTimes[i] - wordEvents[i]) <= 10);

        const Envelope sound(path(QStringLiteral("story.wav")));
        QVERIFY(cues.front().start <= sound.onsetAfter(0) + 50);
        QVERIFY(cues.back().end >= sound.lastSound() - 50);
        for (const LrcLine& line : lines) {
            const auto cue
                = std::find_if(cues.begin(), cues.end(), [&](const Cue& c) { return c.start / 10 == line.start / 10; });
            QVERIFY2(cue != cues.end(), "each sentence starts a cue");
            const qint64 onset = sound.onsetAfter(line.start - 250);
            QVERIFY2(std::abs(onset - cue->start) <= 50 && std::abs(onset - line.start) <= 50,
                qPrintable(QStringLiteral("sound at %1 ms, cue at %2 ms").arg(onset).arg(cue->start)));
        }
    }

    // Cancelled or failed, a recording leaves no subtitles and older ones as they were.
    void failedRecordingLeavesNoSubtitles_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("cause");
        QTest::newRow("wave, cancelled") << int(waveFiles) << QStringLiteral("cancelled");
        QTest::newRow("opus, cancelled") << int(opusFiles) << QStringLiteral("cancelled");
        QTest::newRow("mp3, text file missing") << int(mp3Files) << QStringLiteral("text file missing");
    }

    void failedRecordingLeavesNoSubtitles()
    {
        QFETCH(int, entry);
        QFETCH(QString, cause);
        c->WriteSubtitles = true;
        const QByteArray old("1\n00:00:00,000 --> 00:00:01,000\nAn older subtitle\n\n");
        QVERIFY(writeFile(path(QStringLiteral("take.srt")), old));
        // Long enough to outlast the half second before the progress dialog on several synthesisers.
        QString text = QStringLiteral("A sentence that is spoken over and over into the file. ").repeated(3000);
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->objectName() == QStringLiteral("RecordingProgress"))
                dialog->findChild<QPushButton*>()->click();
        });
        if (cause == QLatin1String("text file missing")) {
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
            text = path(QStringLiteral("missing.txt"));
        }
        poll.start(50);
        dialogs->answerFile(path(QStringLiteral("take")), entry);
        c->SaveToWave(text);
        poll.stop();
        QVERIFY2(
            log().constLast().startsWith(QStringLiteral("Save to Wave file Error: ")), qPrintable(log().join('\n')));
        QVERIFY(messages->messages().empty());
        QTRY_COMPARE_WITH_TIMEOUT(files(), QStringList { "take.srt" }, 5000);
        QCOMPARE(fileBytes(path(QStringLiteral("take.srt"))), old);
        if (control<QCheckBox>(*c, "chkSpFlagIsFilename")->isChecked())
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
    }

    // A sentence longer than two lines goes on in a cue that starts with the sound of its first
    // word; a word longer than a line stands on a line of its own.
    void longSentencesAreCutBetweenWords()
    {
        TimedSentence sentence;
        sentence.start = 1000;
        sentence.end = 9000;
        const QStringList words = QStringLiteral("Twelve words of seven letters, placed into cues one after "
                                                 "another, every cue of two lines; then a "
                                                 "Donaudampfschifffahrtsgesellschaftskapitänsmütze ends it.")
                                      .split(QLatin1Char(' '));
        for (int i = 0; i < words.size(); ++i)
            sentence.pieces.push_back({ 1000 + i * 300, words[i] });
        const std::vector<Cue> cues = readSubRip(SubtitleText::subRip({ sentence }));
        QVERIFY(cues.size() >= 2);
        QCOMPARE(cues.front().start, 1000);
        QCOMPARE(cues.back().end, 9000);
        QStringList all;
        for (size_t i = 0; i < cues.size(); ++i) {
            QVERIFY(cues[i].lines.size() <= 2);
            const qsizetype first = all.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
            QCOMPARE(cues[i].start, 1000 + first * 300); // the time of the cue's first word
            if (i > 0)
                QCOMPARE(cues[i].start, cues[i - 1].end);
            for (const QString& line : cues[i].lines)
                QVERIFY(line.size() <= 42 || !line.contains(QLatin1Char(' ')));
            // A line is broken only where the next word would not have fitted.
            if (cues[i].lines.size() == 2)
                QVERIFY(cues[i].lines[0].size() + 1 + cues[i].lines[1].section(' ', 0, 0).size() > 42);
            all << cues[i].lines;
        }
        QCOMPARE(all.join(QLatin1Char(' ')), words.join(QLatin1Char(' ')));
        QVERIFY(all.contains(QStringLiteral("Donaudampfschifffahrtsgesellschaftskapitänsmütze")));
    }
};

QTEST_MAIN(tst_RecordingFormats)
#include "tst_RecordingFormats.moc"
