// Event handling in the speech console: 100 000 voice events, scripted as the engine raises them
// for spoken prose (a sentence event per sentence; per word a word event, then a phoneme and a
// viseme event per sound; a bookmark now and then; a new stream every few thousand events), are
// raised through the console's own voice object with "Show Events" ticked, so every event appends
// its log line (and the log is trimmed), each word is highlighted in the console's text box and each
// viseme redraws the face. The console is shown on the offscreen platform; pending paints are
// processed every 20 events, as the engine's 4 ms dispatch leaves room for them.
//
// Figures: the time of each event's handler (mean, 99th percentile, maximum), and the whole run
// including the paints, per event.

#include "BenchSupport.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <random>

using namespace bench;

namespace {

constexpr int eventCount = 100000;
constexpr int eventsPerPaint = 20;
constexpr int eventsPerStream = 5000;

using Raise = std::function<void(SpVoice&)>;

struct Script {
    QString text;
    std::vector<Raise> events;
    std::vector<char> kinds; // per event: S(entence), W(ord), B(ookmark), P(honeme), V(iseme), s(tart), e(nd)
};

// Engine-like events for text, repeated until there are eventCount of them.
Script script(const QString& text)
{
    Script s { text, {}, {} };
    s.events.reserve(eventCount + 16);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> viseme(0, 21);
    std::uniform_int_distribution<int> phone(1, 60);
    const QRegularExpression word(QStringLiteral("[\\w']+"));
    int stream = 1;
    qint64 position = 0;
    char kind = 's';
    const auto add = [&](Raise raise) {
        s.events.push_back(std::move(raise));
        s.kinds.push_back(kind);
    };
    add([stream](SpVoice& v) { emit v.StartStream(stream, QVariant(qint64(0))); });
    while (s.events.size() < eventCount) {
        int sentenceStart = 0;
        for (auto it = word.globalMatch(text); it.hasNext() && s.events.size() < eventCount;) {
            const QRegularExpressionMatch m = it.next();
            const int pos = static_cast<int>(m.capturedStart());
            const int length = static_cast<int>(m.capturedLength());
            if (pos >= sentenceStart) {
                const int end = static_cast<int>(text.indexOf(QLatin1Char('.'), pos));
                const int sentenceLength = (end < 0 ? static_cast<int>(text.size()) : end + 1) - pos;
                kind = 'S';
                add([=](SpVoice& v) { emit v.Sentence(stream, QVariant(position), pos, sentenceLength); });
                sentenceStart = pos + sentenceLength;
            }
            kind = 'W';
            add([=](SpVoice& v) { emit v.Word(stream, QVariant(position), pos, length); });
            if (s.events.size() % 97 == 0)
                kind = 'B';
            add([=](SpVoice& v) { emit v.Bookmark(stream, QVariant(position), QStringLiteral("mark, 1"), 1); });
            for (int sound = 0; sound < std::max(1, length * 2 / 3); ++sound) {
                const short id = static_cast<short>(phone(random));
                const int shape = viseme(random);
                kind = 'P';
                add([=](SpVoice& v) { emit v.Phoneme(stream, QVariant(position), 900, id, 0, id); });
                kind = 'V';
                add([=](SpVoice& v) { emit v.Viseme(stream, QVariant(position), 900, shape, 0, shape); });
                position += 1800;
            }
            if (s.events.size() >= static_cast<size_t>(stream) * eventsPerStream) {
                kind = 'e';
                add([=](SpVoice& v) { emit v.EndStream(stream, QVariant(position)); });
                ++stream;
                position = 0;
                kind = 's';
                add([=](SpVoice& v) { emit v.StartStream(stream, QVariant(qint64(0))); });
            }
        }
    }
    s.events.resize(eventCount - 1);
    s.kinds.resize(eventCount - 1);
    kind = 'e';
    add([=](SpVoice& v) { emit v.EndStream(stream, QVariant(position)); });
    return s;
}

double threadCpuUs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

struct Run {
    std::vector<double> us; // wall time per event
    std::vector<char> kinds; // as the script's, with T for an event whose line trimmed the log
    std::vector<double> cpuUs; // the handler's thread CPU time per event
    double totalMs = 0; // wall time with the paints
    int logLength = 0;
};

Run runOnce(frmConsole& console, const Script& s)
{
    Run run;
    run.us.reserve(s.events.size());
    run.cpuUs.reserve(s.events.size());
    run.kinds = s.kinds;
    QPlainTextEdit& debugTxtBox = control<QPlainTextEdit>(console, QStringLiteral("DebugTxtBox"));
    debugTxtBox.clear();
    control<QPlainTextEdit>(console, QStringLiteral("MainTxtBox")).setPlainText(s.text);
    QCoreApplication::processEvents();
    const QTextDocument* log = debugTxtBox.document();
    const Clock::time_point start = Clock::now();
    int sincePaint = 0;
    for (size_t i = 0; i < s.events.size(); ++i) {
        const int length = log->characterCount();
        const double cpu = threadCpuUs();
        const Clock::time_point before = Clock::now();
        s.events[i](*console.Voice);
        const Clock::time_point after = Clock::now();
        run.cpuUs.push_back(threadCpuUs() - cpu);
        run.us.push_back(msBetween(before, after) * 1000.0);
        if (log->characterCount() < length)
            run.kinds[i] = 'T';
        if (++sincePaint == eventsPerPaint) {
            QCoreApplication::processEvents();
            sincePaint = 0;
        }
    }
    QCoreApplication::processEvents();
    run.totalMs = msBetween(start, Clock::now());
    run.logLength = log->characterCount() - 1;
    return run;
}

frmConsole* console = nullptr;
std::map<bool, std::vector<Run>> runs; // by whether Show Events was ticked

void BM_ConsoleEvents(benchmark::State& state)
{
    const bool shown = state.range(0) != 0;
    control<QCheckBox>(*console, QStringLiteral("chkShowEvents")).setChecked(shown);
    const Script s = script(prose(4000));
    for (auto _ : state) {
        Run run = runOnce(*console, s);
        double sum = 0;
        for (const double us : run.us)
            sum += us;
        state.SetIterationTime(sum / 1e6);
        runs[shown].push_back(std::move(run));
    }
    state.SetItemsProcessed(state.iterations() * eventCount);
    state.SetLabel(shown ? "100000 events, Show Events ticked" : "100000 events, Show Events unticked");
}

double mean(const std::vector<double>& values)
{
    double sum = 0;
    for (const double v : values)
        sum += v;
    return sum / double(values.size());
}

double maxOf(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

void report(const std::vector<Run>& list, const char* title)
{
    std::vector<double> all, cpu;
    std::map<char, std::vector<double>> byKind;
    double totalMs = 0;
    int longestLog = 0;
    for (const Run& run : list) {
        all.insert(all.end(), run.us.begin(), run.us.end());
        for (size_t i = 0; i < run.us.size(); ++i)
            byKind[run.kinds[i]].push_back(run.us[i]);
        totalMs += run.totalMs;
        cpu.insert(cpu.end(), run.cpuUs.begin(), run.cpuUs.end());
        longestLog = std::max(longestLog, run.logLength);
    }
    if (all.empty())
        return;
    const std::map<char, const char*> names { { 's', "StartStream" }, { 'e', "EndStream" }, { 'S', "Sentence" },
        { 'W', "Word" }, { 'B', "Bookmark" }, { 'P', "Phoneme" }, { 'V', "Viseme" },
        { 'T', "line that trimmed the log" } };
    std::printf("\n");
    for (const auto& [kind, values] : byKind)
        std::printf("  %-26s %7zu events: mean %8.2f us, median %7.2f us, max %7.3f ms\n", names.at(kind),
            values.size(), mean(values), median(values), maxOf(values) / 1000.0);
    std::printf("%s: mean %.2f us per event, median %.2f us, p99 %.2f us, max %.3f ms; CPU time: mean %.2f us, max "
                "%.3f ms (%zu events)\n",
        title, mean(all), median(all), percentile(all, 99), maxOf(all) / 1000.0, mean(cpu), maxOf(cpu) / 1000.0,
        all.size());
    std::printf("%s with paints: %.2f us per event; log held %d characters at the end\n", title,
        totalMs * 1000.0 / double(all.size()), longestLog);
}

} // namespace

BENCHMARK(BM_ConsoleEvents)
    ->ArgName("shown")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    console = &WindowRegistry::get<frmConsole>();
    console->show();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nMachine: load average %s", commandOutput({ "cat", "/proc/loadavg" }).c_str());
    report(runs[true], "console events");
    report(runs[false], "console events, Show Events unticked");
    WindowRegistry::destroyAll();
    return runs[true].empty() ? 1 : 0;
}
