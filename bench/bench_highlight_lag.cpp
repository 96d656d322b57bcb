// The spoken word's highlight as the user sees it: for each Word event of the editor's text, from
// the moment the word's sound starts (its play time in the null sink's monitor recording) to the
// end of the first repaint of the editor's viewport that shows the word marked. Two documents:
// about 20 s of prose, and the same prose read with Read From Cursor from the middle of a 1 MB
// document. Then the cost of moving the mark on the 1 MB document, word by word, with and without
// the repaint.
//
// Clock and position as bench_event_lag takes them: parec records the sink's monitor, the clock is
// fitted on its reads, and a word's sound is found in the recording by normalised
// cross-correlation with a copy of what the voice handed to the device (the console's voice is
// replaced by one whose audio provider keeps that copy, its events wired to the console's
// handlers as the console wires its own). The play time is the render time plus the null sink's
// block. The repaint is timed when the viewport's paint
// event returns; what the window system then does with the pixels (Xvfb or offscreen) is not in it.
// HIGHLIGHT_LAG_DEBUG=1 prints every word's figures.

#include "BenchSupport.h"
#include "DeviceAudioCopy.h"
#include "MDIMain.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "SpokenTextHighlighter.h"
#include "TemporaryFolder.h"
#include "WindowRegistry.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/synth/SynthesizerProcess.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QApplication>
#include <QEventLoop>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <regex>

using namespace bench;

namespace {

constexpr int rate = 22050;
constexpr qsizetype megabyte = 1024 * 1024;

// The default sink's configured latency (its block) from pactl, in ms; -1 when not reported.
double sinkBlockMs()
{
    const std::string sink = commandOutput({ "pactl", "get-default-sink" });
    const std::string all = commandOutput({ "pactl", "list", "sinks" });
    const std::string name = sink.substr(0, sink.find('\n'));
    const size_t at = all.find("Name: " + name);
    std::smatch m;
    const std::string rest = at == std::string::npos ? std::string() : all.substr(at);
    if (name.empty() || !std::regex_search(rest, m, std::regex("Latency: \\d+ usec, configured (\\d+) usec")))
        return -1;
    return std::stod(m[1]) / 1000;
}

// The console's voice, now one whose device audio is copied; its default format is the
// console's, 22 kHz 16-bit mono, the recording's.
TeeProvider& copyDeviceAudio(frmConsole& console)
{
    auto provider = std::make_unique<TeeProvider>();
    TeeProvider& tee = *provider;
    console.Voice = std::make_unique<SpVoice>(std::make_unique<SynthesizerProcess>(), std::move(provider));
    console.Voice->setAudioOutput(SpObjectToken());
    SpVoice* voice = console.Voice.get();
    QObject::connect(voice, &SpVoice::StartStream, &console, &frmConsole::Voice_StartStream);
    QObject::connect(voice, &SpVoice::EndStream, &console, &frmConsole::Voice_EndStream);
    QObject::connect(voice, &SpVoice::Word, &console, &frmConsole::Voice_Word);
    QObject::connect(voice, &SpVoice::Sentence, &console, &frmConsole::Voice_Sentence);
    QObject::connect(voice, &SpVoice::Viseme, &console, &frmConsole::Voice_Viseme);
    return tee;
}

// Times the end of each repaint of a box's viewport, and which word the box had marked then.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QPlainTextEdit& box)
        : m_box(box)
    {
        box.viewport()->installEventFilter(this);
    }
    // The word event last handled: its index and the document position of its word.
    void expect(size_t index, int start) { m_expected = { index, start }; }
    std::map<size_t, Clock::time_point> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_inside)
            return false;
        // The paint runs here, so that its end can be timed.
        m_inside = true;
        QCoreApplication::sendEvent(watched, event);
        m_inside = false;
        const Clock::time_point done = Clock::now();
        const QTextCursor& word = WindowRegistry::get<frmEditor>().spokenText().word();
        if (m_expected && !word.isNull() && word.selectionStart() == m_expected->second) {
            QTextCursor start = word;
            start.setPosition(word.selectionStart());
            if (static_cast<QPaintEvent*>(event)->rect().intersects(m_box.cursorRect(start))) {
                painted.emplace(m_expected->first, done);
                m_expected.reset();
            }
        }
        return true;
    }

private:
    QPlainTextEdit& m_box;
    std::optional<std::pair<size_t, int>> m_expected;
    bool m_inside = false;
};

struct WordEvent {
    qint64 streamBytes;
    Clock::time_point handled;
};

struct Run {
    const char* name;
    Clock::time_point spoken;
    qint64 handedBase = 0; // the copy's size when it was spoken
    std::vector<WordEvent> words;
    std::map<size_t, Clock::time_point> painted;
};

// Speaks the editor's text from offset (Read From Cursor when it is not 0) for up to `seconds`.
Run speak(const char* name, MDIMain& main, QPlainTextEdit& box, int offset, int seconds, const TeeProvider& tee)
{
    frmConsole& console = WindowRegistry::get<frmConsole>();
    Run run { name, {}, tee.size(), {}, {} };
    PaintWatch watch(box);
    QObject context;
    bool ended = false;
    QObject::connect(console.Voice.get(), &SpVoice::Word, &context, [&](int, QVariant position, int pos, int) {
        watch.expect(run.words.size(), offset + pos);
        run.words.push_back({ position.toLongLong(), Clock::now() });
    });
    QObject::connect(console.Voice.get(), &SpVoice::EndStream, &context, [&] { ended = true; });
    QTextCursor caret(box.document());
    caret.setPosition(offset);
    // Placing the caret shows it; the box does not follow the word for a moment after that
    // scroll, and the word starts there.
    box.setTextCursor(caret);
    run.spoken = Clock::now();
    if (offset == 0)
        main.ToolbarA_ButtonClick(QStringLiteral("Play"));
    else
        main.readFromCursor();
    for (int waited = 0; !ended && waited < seconds * 1000; waited += 50)
        settle(50);
    console.VoiceStop();
    settle(500);
    run.painted = std::move(watch.painted);
    return run;
}

void report(const Run& run, const std::vector<int16_t>& sound, const MonitorRecorder& recorder, double blockMs)
{
    const std::vector<int16_t>& recording = recorder.samples();
    const qint64 onset = firstLoud(sound, run.handedBase, 2000);
    const qint64 heard = firstLoud(recording, recorder.samplesBy(run.spoken), 2000);
    if (onset < 0 || heard < 0) {
        std::printf("highlight-lag %s: the speech was not found in the recording\n", run.name);
        return;
    }
    Match m = bestShift(
        sound, onset - rate / 100, rate / 10, recording, heard - onset - rate / 50, heard - onset + rate / 50);
    qint64 shift = m.shift;
    std::vector<double> lags, afterEvent;
    int unpainted = 0, weak = 0;
    for (size_t i = 0; i < run.words.size(); ++i) {
        const qint64 at = run.handedBase + run.words[i].streamBytes / 2;
        if (at + rate / 10 >= static_cast<qint64>(sound.size()))
            break;
        m = bestShift(sound, at - rate / 50, rate / 10, recording, shift - rate / 200, shift + rate * 3 / 20);
        if (m.correlation >= 0.5)
            shift = m.shift;
        else
            ++weak;
        const auto painted = run.painted.find(i);
        if (painted == run.painted.end()) {
            if (qEnvironmentVariableIsSet("HIGHLIGHT_LAG_DEBUG"))
                std::printf("  word %zu unpainted; handled %.2f ms after the one before\n", i,
                    i > 0 ? msBetween(run.words[i - 1].handled, run.words[i].handled) : 0.0);
            ++unpainted;
            continue;
        }
        const Clock::time_point played
            = recorder.timeOf(double(at + shift)) + std::chrono::microseconds(qint64(blockMs * 1000));
        lags.push_back(msBetween(played, painted->second));
        afterEvent.push_back(msBetween(run.words[i].handled, painted->second));
        if (qEnvironmentVariableIsSet("HIGHLIGHT_LAG_DEBUG"))
            std::printf("  word %zu at %lld shift %lld corr %.2f event-played %.2f paint-played %.2f\n", i,
                (long long)at, (long long)shift, m.correlation, msBetween(played, run.words[i].handled), lags.back());
    }
    if (lags.empty()) {
        std::printf("highlight-lag %s: no word was measured\n", run.name);
        return;
    }
    std::printf("highlight-lag %s: %zu words measured, %d without a marked repaint, %d matched weakly; "
                "signed min %+.2f ms, max %+.2f ms\n",
        run.name, lags.size(), unpainted, weak, percentile(lags, 0), percentile(lags, 100));
    for (double& lag : lags)
        lag = std::abs(lag);
    std::printf("highlight-lag %s: the marked repaint done %.2f ms (median), %.2f ms (p99) after the Word event "
                "was handled\n",
        run.name, median(afterEvent), percentile(afterEvent, 99));
    std::printf("highlight-lag %s median: %.2f ms\n", run.name, median(lags));
    std::printf("highlight-lag %s p99: %.2f ms\n", run.name, percentile(lags, 99));
}

// Moving the mark word by word through a paragraph in the middle of the 1 MB document: the mark
// alone, and the mark with the repaint it causes.
void markCost(QPlainTextEdit& box, int from)
{
    SpokenTextHighlighter& marks = WindowRegistry::get<frmEditor>().spokenText();
    const QString text = box.document()->findBlock(from).text();
    std::vector<double> alone, painted;
    int position = from;
    for (int i = 0; i < 400; ++i) {
        const int end = box.document()->find(QStringLiteral(" "), position + 1).position();
        if (end < 0)
            break;
        const Clock::time_point start = Clock::now();
        marks.showSentence(from, end);
        marks.showWord(position, end - 1);
        const Clock::time_point marked = Clock::now();
        box.viewport()->repaint();
        alone.push_back(msBetween(start, marked));
        painted.push_back(msBetween(start, Clock::now()));
        position = end;
    }
    marks.clear();
    std::printf("highlight cost 1MB: mark median %.3f ms, p99 %.3f ms; with its repaint median %.3f ms, p99 %.3f ms "
                "(%zu words)\n",
        median(alone), percentile(alone, 99), median(painted), percentile(painted, 99), alone.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TemporaryFolder::install();
    ScriptedDialogs::install();
    ScriptedMessages::install();
    MonitorRecorder recorder(rate, 20);
    if (!recorder.start() || !recorder.waitForData(5000)) {
        std::fprintf(stderr, "highlight-lag: the default sink's monitor cannot be recorded (is PulseAudio running?)\n");
        return 1;
    }
    MDIMain& main = WindowRegistry::get<MDIMain>();
    main.resize(1000, 700);
    main.show();
    auto& box = control<QPlainTextEdit>(WindowRegistry::get<frmEditor>(), QStringLiteral("SayText"));
    const TeeProvider& tee = copyDeviceAudio(WindowRegistry::get<frmConsole>());
    const QString passage = prose(400, 11);
    // The device is opened once before, as in a program that has spoken already.
    box.setPlainText(QStringLiteral("Ready."));
    main.ToolbarA_ButtonClick(QStringLiteral("Play"));
    settle(1500);

    box.setPlainText(passage);
    const Run shortText = speak("20s-text", main, box, 0, 30, tee);
    const double blockMs = sinkBlockMs();

    // The passage in the middle of 1 MB, each half in paragraphs of prose.
    const QString half = prose(megabyte / 2, 5).replace(QStringLiteral(". "), QStringLiteral(".\n"));
    const QString document = half.left(megabyte / 2) + QLatin1Char('\n') + passage + QLatin1Char('\n')
        + half.left(megabyte - megabyte / 2 - passage.size() - 2);
    box.setPlainText(document);
    const int middle = static_cast<int>(megabyte / 2 + 1);
    const Run longText = speak("1MB", main, box, middle, 20, tee);
    recorder.stop(shortText.spoken - std::chrono::milliseconds(300));
    const std::vector<int16_t> sound = tee.samples();
    if (blockMs < 0) {
        std::fprintf(stderr, "highlight-lag: pactl did not report the sink's latency\n");
        return 1;
    }

    std::printf("highlight-lag setup: null sink block %.1f ms; %zu and %zu Word events; platform %s\n", blockMs,
        shortText.words.size(), longText.words.size(), qPrintable(QGuiApplication::platformName()));
    report(shortText, sound, recorder, blockMs);
    report(longText, sound, recorder, blockMs);
    markCost(box, middle);
    WindowRegistry::destroyAll();
    return 0;
}
