#include "Controls.h"
#include "MDIMain.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "SpeechWatch.h"
#include "TemporaryFolder.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmConsole.h"
#include "frmRandomText.h"

#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <optional>
#include <sndfile.h>
#include <vector>

namespace {

// The samples of a wave file read back with libsndfile; nothing when it cannot be read.
std::optional<std::vector<short>> waveSamples(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t read = sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    if (read != static_cast<sf_count_t>(samples.size()))
        return std::nullopt;
    return samples;
}

} // namespace

class TestFrmRandomText : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlsAtTheirPlaces();
    void playPassesTheBoxText_data();
    void playPassesTheBoxText();
    void recordPassesTheBoxText_data();
    void recordPassesTheBoxText();
    void clearEmptiesTheBoxesAndLetsSpeechGoOn();

private:
    void fillBoxes(const QStringList& texts);
    QStringList log() const;

    MDIMain* main = nullptr;
    frmRandomText* page = nullptr;
    frmConsole* console = nullptr;
    TemporaryFolder* folder = nullptr;
    ScriptedMessages* messages = nullptr;
    ScriptedDialogs* dialogs = nullptr;
};

void TestFrmRandomText::init()
{
    WindowRegistry::reset();
    folder = &TemporaryFolder::install();
    messages = &ScriptedMessages::install();
    dialogs = &ScriptedDialogs::install();
    main = &WindowRegistry::get<MDIMain>();
    main->show();
    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    page = &WindowRegistry::get<frmRandomText>();
    console = &WindowRegistry::get<frmConsole>();
}

void TestFrmRandomText::cleanup()
{
    QVERIFY2(messages->unexpected().isEmpty(), qPrintable(messages->unexpected().join('\n')));
    QVERIFY2(dialogs->unexpected().isEmpty(), qPrintable(dialogs->unexpected().join('\n')));
    WindowRegistry::reset();
    main = nullptr;
    page = nullptr;
    console = nullptr;
}

void TestFrmRandomText::fillBoxes(const QStringList& texts)
{
    for (int i = 0; i < frmRandomText::rowCount; ++i) {
        QPlainTextEdit* box = control<QPlainTextEdit>(*page, "Text1", i);
        box->setFocus();
        box->selectAll();
        // Typed as a user types, line breaks from the Enter key.
        const QStringList lines = texts[i].split('\n');
        for (qsizetype line = 0; line < lines.size(); ++line) {
            if (line > 0)
                QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, lines[line]);
        }
        if (texts[i].isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->toPlainText(), texts[i]);
    }
}

QStringList TestFrmRandomText::log() const
{
    return control<QPlainTextEdit>(*console, "DebugTxtBox")
        ->toPlainText()
        .split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);
}

void TestFrmRandomText::controlsAtTheirPlaces()
{
    QVERIFY(page->isVisible());
    QCOMPARE(page->windowTitle(), QString("Form1"));
    QCOMPARE(control<QGroupBox>(*page, "fraManual")->geometry(), Twips::toPixels(0, 60, 7335, 7200));
    const int tops[] = { 360, 1560, 2640, 3840 };
    const int widths[] = { 5055, 5055, 5055, 4995 };
    const int heights[] = { 975, 855, 975, 975 };
    const int playLefts[] = { 5220, 5220, 5220, 5160 };
    const int recordLefts[] = { 6240, 6240, 6240, 6180 };
    for (int i = 0; i < frmRandomText::rowCount; ++i) {
        const auto row = static_cast<std::size_t>(i);
        QPlainTextEdit* box = page->findChild<QPlainTextEdit*>(QStringLiteral("Text1(%1)").arg(i));
        QPushButton* play = page->findChild<QPushButton*>(QStringLiteral("cmdPlay(%1)").arg(i));
        QPushButton* record = page->findChild<QPushButton*>(QStringLiteral("cmdRecord(%1)").arg(i));
        QCOMPARE(box, control<QPlainTextEdit>(*page, "Text1", row));
        QCOMPARE(play, control<QPushButton>(*page, "cmdPlay", row));
        QCOMPARE(record, control<QPushButton>(*page, "cmdRecord", row));
        QCOMPARE(box->parentWidget(), control<QGroupBox>(*page, "fraManual"));
        QCOMPARE(box->geometry(), Twips::toPixels(120, tops[i], widths[i], heights[i]));
        QCOMPARE(play->geometry(), Twips::toPixels(playLefts[i], tops[i], 975, 735));
        QCOMPARE(record->geometry(), Twips::toPixels(recordLefts[i], tops[i], 975, 735));
        QVERIFY(box->toPlainText().isEmpty());
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(play->toolTip(), QString("Play Text"));
        QCOMPARE(record->toolTip(), QString("Record *.wav"));
        QVERIFY(play->text().isEmpty() && record->text().isEmpty());
        QVERIFY(!play->icon().isNull() && !record->icon().isNull());
    }
    QCOMPARE(control<QPushButton>(*page, "cmdClear")->text(), QString("Clear"));
    QCOMPARE(control<QPushButton>(*page, "cmdClear")->geometry(), Twips::toPixels(5580, 5160, 1575, 615));
    QVERIFY(control<QPushButton>(*page, "cmdClear")->font().bold());
    QCOMPARE(control<QPushButton>(*page, "cmdClear")->font().pointSizeF(), 9.75);
}

void TestFrmRandomText::playPassesTheBoxText_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("first box") << 0 << "hello there";
    QTest::newRow("line breaks kept") << 2 << "first line\n\nthird line";
    QTest::newRow("last box") << 3 << "blue";
    QTest::newRow("empty box") << 1 << "";
}

void TestFrmRandomText::playPassesTheBoxText()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QStringList texts { "apple", "banana split", "cherry", "damson plum" };
    texts[row] = text;
    fillBoxes(texts);
    const qsizetype logged = log().size();

    SpeechWatch watch(*console->Voice);
    QTest::mouseClick(control<QPushButton>(*page, "cmdPlay", row), Qt::LeftButton);
    QVERIFY(watch.waitForEnd());
    QCOMPARE(watch.started, 1);
    QVERIFY2(watch.spokeExactly(text), qPrintable(text));
    QCOMPARE(log().mid(logged).first(), QString("Speak"));
    // Speaking leaves the box as it was.
    QCOMPARE(control<QPlainTextEdit>(*page, "Text1", row)->toPlainText(), text);
}

void TestFrmRandomText::recordPassesTheBoxText_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("second box") << 1 << "one two three";
    QTest::newRow("two lines") << 3 << "four\nfive";
    QTest::newRow("empty box") << 0 << "";
}

// The words spoken into the wave file are those of the box's text.
void TestFrmRandomText::recordPassesTheBoxText()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QStringList texts { "alpha", "bravo", "charlie", "delta echo" };
    texts[row] = text;
    fillBoxes(texts);

    const QString path = folder->filePath("page.wav");
    dialogs->answerFile(path);
    SpeechWatch watch(*console->Voice);
    QTest::mouseClick(control<QPushButton>(*page, "cmdRecord", row), Qt::LeftButton);
    QCOMPARE(dialogs->fileRequests().size(), std::size_t(1));
    QCOMPARE(dialogs->fileRequests()[0].kind, FileDialogRequest::Kind::Save);
    QCOMPARE(messages->messages().size(), std::size_t(1));
    QCOMPARE(messages->messages()[0].title, QString("File Saved"));
    QVERIFY(watch.waitForEnd());
    QCOMPARE(watch.started, 1);
    QVERIFY2(watch.spokeExactly(text), qPrintable(text));
    const auto samples = waveSamples(path);
    QVERIFY(samples);
    QCOMPARE(samples->empty(), text.isEmpty());
    QCOMPARE(control<QPlainTextEdit>(*page, "Text1", row)->toPlainText(), text);
}

void TestFrmRandomText::clearEmptiesTheBoxesAndLetsSpeechGoOn()
{
    fillBoxes({ "one two three four five six seven eight nine ten eleven twelve", "b", "c\nd", "e" });
    SpeechWatch watch(*console->Voice);
    QTest::mouseClick(control<QPushButton>(*page, "cmdPlay", 0), Qt::LeftButton);
    QVERIFY(watch.waitForWords(1));
    const int wordsBefore = watch.words;

    QTest::mouseClick(control<QPushButton>(*page, "cmdClear"), Qt::LeftButton);
    for (QPlainTextEdit* box : indexedControls<QPlainTextEdit>(*page, "Text1", frmRandomText::rowCount))
        QVERIFY(box->toPlainText().isEmpty());
    QVERIFY(console->IsSpeaking);
    QVERIFY(!log().contains("Stop"));
    QVERIFY(watch.waitForWords(wordsBefore + 1));
    QCOMPARE(watch.ended, 0);
    console->VoiceStop();
    QVERIFY(watch.waitForEnd());
}

QTEST_MAIN(TestFrmRandomText)
#include "tst_frmRandomText.moc"
