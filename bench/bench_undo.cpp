// The editor's typing and undo store on long documents, in the whole program's main window on the
// offscreen platform:
// - a key press with its record: letters (and now and then Enter) sent to SayText in the middle
//   of a 1 MB and a 10 MB document, each timed from the key press until the text box has taken
//   it (the record made and the text changed), and again until its repaint is done;
// - the memory of the 99 slots of a 10 MB document: resident memory before and after 99 key
//   presses that fill the slots, and what the store itself counts; then one step back, which
//   puts a whole slot into the text box;
// - opening a 10 MB text file through File > Open with the dialog answered at once;
// - for comparison, reading the whole text of SayText as a 10 MB QPlainTextEdit gives it, which
//   the editor does not do per key.
// "MB" here is 2^20 characters of prose.

#include "BenchSupport.h"
#include "EditorDocument.h"
#include "MDIMain.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "WindowRegistry.h"
#include "frmEditor.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <map>

using namespace bench;

namespace {

constexpr qsizetype megabyte = 1024 * 1024;
constexpr int keysPerRun = 200;

frmEditor* editor = nullptr;
QPlainTextEdit* sayText = nullptr; // the editor's text box
struct KeyTimes {
    std::vector<double> taken; // ms until the box has taken the key
    std::vector<double> painted; // ms until the repaint is done too
};
std::map<int, KeyTimes> keyMs; // by document size in MB
std::vector<double> openMs;

// The key's two times, as KeyTimes holds them.
std::pair<double, double> press(int key, const QString& text)
{
    const Clock::time_point before = Clock::now();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(sayText, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(sayText, &up);
    const Clock::time_point taken = Clock::now();
    QCoreApplication::processEvents();
    return { msBetween(before, taken), msBetween(before, Clock::now()) };
}

void loadDocument(qsizetype chars)
{
    sayText->setPlainText(prose(chars));
    QTextCursor middle = sayText->textCursor();
    middle.setPosition(sayText->document()->characterCount() / 2);
    sayText->setTextCursor(middle);
    editor->ClearUndoString();
    editorDocument().TextModified = false;
    QCoreApplication::processEvents();
}

double residentMiB()
{
    malloc_trim(0);
    return double(residentKiB()) / 1024.0;
}

void BM_KeyPress(benchmark::State& state)
{
    const int mb = int(state.range(0));
    loadDocument(mb * megabyte);
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i < keysPerRun; ++i) {
            const auto [taken, painted] = i % 50 == 49 ? press(Qt::Key_Return, QStringLiteral("\r"))
                                                       : press(Qt::Key_A + i % 26, QString(QChar(u'a' + i % 26)));
            keyMs[mb].taken.push_back(taken);
            keyMs[mb].painted.push_back(painted);
            total += taken;
        }
        state.SetIterationTime(total / 1000.0);
    }
    state.SetItemsProcessed(state.iterations() * keysPerRun);
}

void BM_OpenFile(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(prose(10 * megabyte).replace(u'\n', QStringLiteral("\r\n")).toLatin1()) < 0) {
        state.SkipWithError("cannot write the text file");
        return;
    }
    file.close();
    auto& dialogs = static_cast<ScriptedDialogs&>(*WindowRegistry::services().dialogs);
    for (auto _ : state) {
        sayText->clear();
        editorDocument().TextModified = false;
        QCoreApplication::processEvents();
        dialogs.answerFile(path);
        const Clock::time_point before = Clock::now();
        editor->OpenFile();
        QCoreApplication::processEvents();
        const double ms = msBetween(before, Clock::now());
        openMs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

void printKeys(int mb)
{
    const KeyTimes& times = keyMs[mb];
    if (times.taken.empty())
        return;
    const auto line = [mb](const char* what, const std::vector<double>& ms) {
        std::printf("undo key %dMB%s: median %.3f ms, p99 %.3f ms, max %.3f ms (%zu keys)\n", mb, what, median(ms),
            percentile(ms, 99), *std::max_element(ms.begin(), ms.end()), ms.size());
    };
    line("", times.taken);
    line(" with repaint", times.painted);
}

void measureSlotMemory()
{
    loadDocument(10 * megabyte);
    const double before = residentMiB();
    for (int i = 0; i < 99; ++i)
        press(Qt::Key_K, QStringLiteral("k"));
    const double grown = residentMiB() - before;
    const EditorDocument& document = editorDocument();
    std::printf("undo memory 10MB: %.2f MiB resident growth for 99 slots (index %d); the store counts %.2f MiB, "
                "its pieces shared with the live text included; document %.1f MiB of characters\n",
        grown, document.UndoIndex, double(document.UndoStrings.heldBytes()) / double(megabyte),
        double(sayText->document()->characterCount()) / double(megabyte));

    // A step back puts a whole slot into the text box.
    const Clock::time_point stepped = Clock::now();
    editor->UndoMe_Click();
    QCoreApplication::processEvents();
    std::printf("undo step 10MB: %.1f ms\n", msBetween(stepped, Clock::now()));
}

void measureReadingTheBox()
{
    loadDocument(10 * megabyte);
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        const Clock::time_point before = Clock::now();
        const QString text = sayText->toPlainText();
        ms.push_back(msBetween(before, Clock::now()));
        benchmark::DoNotOptimize(text.size());
    }
    std::printf("toPlainText 10MB: median %.2f ms (the editor keeps its own copy instead)\n", median(ms));
}

} // namespace

BENCHMARK(BM_KeyPress)->Arg(1)->Arg(10)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_OpenFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TemporaryFolder::install();
    ScriptedDialogs::install();
    ScriptedMessages::install();
    MDIMain& main = WindowRegistry::get<MDIMain>();
    main.show();
    editor = &WindowRegistry::get<frmEditor>();
    sayText = &control<QPlainTextEdit>(*editor, QStringLiteral("SayText"));
    sayText->setFocus();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\n");
    printKeys(1);
    printKeys(10);
    measureSlotMemory();
    if (!openMs.empty())
        std::printf("open 10MB: median %.1f ms, max %.1f ms (%zu opens)\n", median(openMs),
            *std::max_element(openMs.begin(), openMs.end()), openMs.size());
    measureReadingTheBox();
    WindowRegistry::destroyAll();
    return 0;
}
