#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "E2EMain.h"
#include "Files.h"
#include "LongText.h"
#include "MemorySampler.h"
#include "MemoryUse.h"
#include "Program.h"
#include "User.h"
#include "WaveReadback.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

constexpr qint64 megabyte = 1024 * 1024;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / megabyte, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

// A 10 MB text spoken and recorded: memory stays bounded while the voice works through it, and
// Stop ends the speech at once.
class TestLongText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void speakAndStop();
    void recordAndStop();
    void speakersStillWork();

private:
    std::unique_ptr<Program> m_program;
    qint64 m_loaded = 0; // resident memory with the text in the editor
};

void TestLongText::initTestCase()
{
    m_program = std::make_unique<Program>();
    QVERIFY2(m_program->start(), qPrintable(m_program->failure()));
    const QString path = m_program->path("long.txt");
    QVERIFY(writeFile(path, longTextFile(10 * megabyte)));
    m_program->dialogs.answerFile(path);
    QVERIFY(User::choose(control<QAction>(m_program->main(), "mnuFileItems", 1)));
    QVERIFY(control<QPlainTextEdit>(m_program->editor(), "SayText")->toPlainText().size() > 9 * megabyte);
    m_loaded = MemoryUse::resident();
    qInfo("resident with the text loaded: %s", qPrintable(megabytes(m_loaded)));
}

void TestLongText::cleanupTestCase()
{
    m_program.reset();
}

void TestLongText::speakAndStop()
{
    Program& program = *m_program;
    ConsoleWatch watch(program.console());
    MemorySampler memory;
    QElapsedTimer play;
    play.start();
    QVERIFY(User::clickToolbar(program.main(), "Play"));
    qInfo("Play returned after %lld ms", static_cast<long long>(play.elapsed()));
    QVERIFY(watch.waitForWords(6));
    const qint64 early = MemoryUse::resident();
    QVERIFY(watch.waitForWords(12));
    const qint64 later = MemoryUse::resident();
    qInfo("resident while speaking: %s after 6 words, %s after 12, at most %s", qPrintable(megabytes(early)),
        qPrintable(megabytes(later)), qPrintable(megabytes(memory.largest())));
    QVERIFY(watch.buttons().stop);

    QVERIFY(User::clickToolbar(program.main(), "Stop"));
    // The stream has ended by the time the click returns.
    QCOMPARE(watch.ended, 1);
    const ConsoleWatch::Buttons stopped = watch.buttons();
    QVERIFY(stopped.speak && !stopped.stop && !stopped.pause && !stopped.skip);
    QVERIFY(watch.faceAtRest());
    const std::size_t spoken = watch.words.size();
    QTest::qWait(500);
    QCOMPARE(watch.words.size(), spoken);
    QCOMPARE(watch.ended, 1);
    QVERIFY(watch.streamsWellFormed());

    // The speech holds a few copies of the text at most, and does not grow as it goes on.
    QVERIFY2(memory.largest() - m_loaded < 200 * megabyte, qPrintable(megabytes(memory.largest() - m_loaded)));
    QVERIFY2(later - early < 16 * megabyte, qPrintable(megabytes(later - early)));
    QCOMPARE(ConsoleLog::failures(program.console()), QStringList());
}

namespace {

// The recording as far as it has been written: until it is complete it grows in a temporary
// file beside the wave's name, which takes the name at the end.
qint64 recordedSoFar(const QString& wave)
{
    const QFileInfo named(wave);
    qint64 size = named.exists() ? named.size() : 0;
    const QStringList beside { QLatin1Char('.') + named.fileName() + QStringLiteral(".*") };
    for (const QFileInfo& part : named.dir().entryInfoList(beside, QDir::Files | QDir::Hidden))
        size = std::max(size, part.size());
    return size;
}

} // namespace

void TestLongText::recordAndStop()
{
    Program& program = *m_program;
    frmConsole& console = program.console();
    ConsoleWatch watch(console);
    const QString wave = program.path("long.wav");
    program.dialogs.answerFile(wave);
    MemorySampler memory;

    // While the recording runs the voice's wait holds back the user's input, so no real click could
    // reach Stop; the timer's click, a second into the recording, stands for the user's.
    QElapsedTimer recording;
    qint64 stoppedAt = -1;
    qint64 sizeAtStop = 0;
    QTimer stopper;
    stopper.setInterval(20);
    connect(&stopper, &QTimer::timeout, &stopper, [&] {
        if (recording.elapsed() < 1000)
            return;
        stopper.stop();
        sizeAtStop = recordedSoFar(wave);
        stoppedAt = recording.elapsed();
        control<QPushButton>(console, "StopBtn")->click();
    });
    recording.start();
    stopper.start();
    QVERIFY(User::choose(control<QAction>(program.main(), "mnuFileItems", 4)));
    const qint64 returnedAt = recording.elapsed();
    stopper.stop();
    qInfo("recording: Stop after %lld ms with %s written; the command returned %lld ms later",
        static_cast<long long>(stoppedAt), qPrintable(megabytes(sizeAtStop)),
        static_cast<long long>(returnedAt - stoppedAt));
    qInfo("resident while recording: at most %s", qPrintable(megabytes(memory.largest())));
    QVERIFY2(stoppedAt >= 0, "the recording ended before Stop was pressed");
    QCOMPARE(watch.ended, 1);

    const WaveReadback file = WaveReadback::read(wave);
    QVERIFY2(file.ok, qPrintable(file.error));
    QVERIFY(file.isWave);
    QCOMPARE(file.sampleRate, 22050);
    QVERIFY(file.frames * 2 >= sizeAtStop - 4096);
    QCOMPARE(QFileInfo(wave).size(), file.frames * 2 + 44);
    QCOMPARE(recordedSoFar(wave), QFileInfo(wave).size()); // nothing is left beside it
    const QString text = control<QPlainTextEdit>(program.editor(), "SayText")->toPlainText();
    const double spokenShare = watch.words.empty() ? 0.0 : double(watch.words.back().position) / text.size();
    qInfo("the file holds %.1f s of speech, %.4f %% of the text: all of it would take %.0f s to record and %.1f GB",
        file.seconds(), 100 * spokenShare, spokenShare > 0 ? stoppedAt / 1000.0 / spokenShare : 0.0,
        spokenShare > 0 ? file.frames * 2 / spokenShare / 1e9 : 0.0);
    for (const ScriptedMessages::Message& told : program.messages.messages())
        qInfo("message: %s (%s)", qPrintable(told.text), qPrintable(told.title));

    QVERIFY2(memory.largest() - m_loaded < 200 * megabyte, qPrintable(megabytes(memory.largest() - m_loaded)));
    QCOMPARE(ConsoleLog::failures(console), QStringList());
}

void TestLongText::speakersStillWork()
{
    Program& program = *m_program;
    frmConsole& console = program.console();
    ConsoleWatch watch(console);
    User::click(control<QPushButton>(console, "SpeakBtn"));
    QVERIFY(watch.waitForEnd());
    QVERIFY(watch.spokeExactly(control<QPlainTextEdit>(console, "MainTxtBox")->toPlainText()));
    QCOMPARE(ConsoleLog::failures(console), QStringList());
}

PARLORA_E2E_MAIN(TestLongText)
#include "tst_LongText.moc"
