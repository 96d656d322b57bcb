#include "Controls.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "QtMessageService.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "SpeechWatch.h"
#include "TemporaryFolder.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmButtons.h"
#include "frmConsole.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include "FileBytes.h"

namespace {

QByteArray quotedLines(const QStringList& phrases)
{
    QByteArray bytes;
    for (const QString& phrase : phrases)
        bytes += '"' + phrase.toUtf8() + "\"\r\n";
    return bytes;
}

QStringList designCaptions()
{
    return QStringList(frmButtons::rowCount, QStringLiteral("Label1"));
}

QStringList rowNames(int first, int count)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << QStringLiteral("row %1").arg(i);
    return names;
}

// Which file a path names and when it was last written: a file rewritten in place gets a new
// time, one replaced by a renamed copy a new inode.
struct FileIdentity {
    ino_t inode = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identity(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return { status.st_ino, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec };
}

// Dates the file long ago, so that any write after it shows.
bool backdate(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC), QFile::FileModificationTime);
}

} // namespace

class TestFrmButtons : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlsAtTheirPlaces();
    void loadHidesThePage();
    void loading_data();
    void loading();
    void recording_data();
    void recording();
    void unwritableFileKeepsTheCaption();
    void playPassesTheCaption_data();
    void playPassesTheCaption();
    void encodingSurvivesRecording_data();
    void encodingSurvivesRecording();
    void clippedPhraseIsItsToolTip_data();
    void clippedPhraseIsItsToolTip();
    void phraseBoxFitsASentence();

private:
    QStringList captions() const;
    QString iniPath() const { return m_folder->filePath("Buttons.ini"); }

    TemporaryFolder* m_folder = nullptr;
    ScriptedMessages* m_messages = nullptr;
};

void TestFrmButtons::init()
{
    WindowRegistry::reset();
    m_folder = &TemporaryFolder::install();
    m_messages = &ScriptedMessages::install();
    ScriptedDialogs::install();
}

void TestFrmButtons::cleanup()
{
    if (m_messages)
        QVERIFY2(m_messages->unexpected().isEmpty(), qPrintable(m_messages->unexpected().join('\n')));
    WindowRegistry::reset();
    m_folder = nullptr;
    m_messages = nullptr;
}

QStringList TestFrmButtons::captions() const
{
    QStringList texts;
    for (const QLabel* label :
        indexedControls<PhraseLabel>(WindowRegistry::get<frmButtons>(), "lblButton", frmButtons::rowCount))
        texts << label->text();
    return texts;
}

void TestFrmButtons::controlsAtTheirPlaces()
{
    frmButtons& page = WindowRegistry::get<frmButtons>();
    QCOMPARE(page.windowTitle(), QString("Form1"));
    QCOMPARE(control<QGroupBox>(page, "fraButtons")->geometry(), Twips::toPixels(0, 0, 6855, 6795));
    for (int i = 0; i < frmButtons::rowCount; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const int top = 240 + 720 * i;
        QPushButton* record = page.findChild<QPushButton*>(QStringLiteral("cmdrecord(%1)").arg(i));
        QPushButton* play = page.findChild<QPushButton*>(QStringLiteral("cmdPlayButton(%1)").arg(i));
        QLabel* label = page.findChild<QLabel*>(QStringLiteral("lblButton(%1)").arg(i));
        QCOMPARE(record, control<QPushButton>(page, "cmdrecord", row));
        QCOMPARE(play, control<QPushButton>(page, "cmdPlayButton", row));
        QCOMPARE(label, control<PhraseLabel>(page, "lblButton", row));
        QCOMPARE(record->parentWidget(), control<QGroupBox>(page, "fraButtons"));
        QCOMPARE(record->geometry(), Twips::toPixels(120, top, 615, 615));
        QCOMPARE(play->geometry(), Twips::toPixels(840, top, 615, 615));
        QCOMPARE(label->geometry(), Twips::toPixels(1560, top, 5175, 645));
        QCOMPARE(record->toolTip(), QString("Record the caption."));
        QCOMPARE(play->toolTip(), QString("Play the Caption."));
        QVERIFY(record->text().isEmpty() && play->text().isEmpty());
        QVERIFY(!record->icon().isNull() && !play->icon().isNull());
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 8.25);
    }
}

// The page hides itself; the main window's load lays it out hidden and the mode switch shows it.
void TestFrmButtons::loadHidesThePage()
{
    MDIMain& main = WindowRegistry::get<MDIMain>();
    main.show();
    frmButtons& page = WindowRegistry::get<frmButtons>();
    QVERIFY(page.isHidden());
    control<QAction>(main, "mnuModesItems", 2)->trigger();
    QVERIFY(page.isVisible());
    QCOMPARE(captions(), designCaptions());
}

void TestFrmButtons::loading_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QByteArray>("after");
    // A file the page reads whole stays the very file it was; any other is written anew.
    QTest::addColumn<bool>("untouched");

    QTest::newRow("missing file is created")
        << false << QByteArray() << designCaptions() << quotedLines(designCaptions()) << false;

    const QByteArray twelve = quotedLines(rowNames(0, 12));
    QTest::newRow("twelve lines cut to nine")
        << true << twelve << rowNames(0, 9) << quotedLines(rowNames(0, 9)) << false;

    const QByteArray three = quotedLines(rowNames(0, 3));
    QTest::newRow("three lines fill three rows, not rewritten")
        << true << three << rowNames(0, 3) + QStringList(6, "Label1") << three << true;

    const QByteArray exactlyNine = quotedLines(rowNames(10, 9));
    QTest::newRow("nine lines, not rewritten") << true << exactlyNine << rowNames(10, 9) << exactlyNine << true;

    QStringList withComma = designCaptions();
    withComma[1] = "one, two";
    withComma[2] = "";
    QTest::newRow("comma and empty entry")
        << true << quotedLines(withComma) << withComma << quotedLines(withComma) << true;

    QStringList withQuote = designCaptions();
    withQuote[4] = "say \"hi\"";
    const QByteArray escaped = quotedLines(designCaptions()).replace(40, 10, "\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("doubled quote") << true << escaped << withQuote << escaped << true;

    // Written by a writer that did not double the quote: the rest of that line is lost, as before.
    const QByteArray single = quotedLines(designCaptions()).replace(40, 10, "\"say \"hi\"\"\r\n");
    QStringList cut = designCaptions();
    cut[4] = "say ";
    QTest::newRow("single inner quote") << true << single << cut << single << true;

    // The phrase " from a writer that does not double quotes takes one row, not two.
    const QByteArray undoubled = quotedLines(designCaptions()).replace(40, 10, "\"\"\"\r\n");
    QStringList quoteAlone = designCaptions();
    quoteAlone[4] = "\"";
    QTest::newRow("undoubled quote alone keeps the rows") << true << undoubled << quoteAlone << undoubled << true;

    // A file with too many phrases is cut back in the encoding it was read in.
    QStringList latin1Rows = rowNames(0, 12);
    latin1Rows[0] = QStringLiteral("caf\u00e9");
    QTest::newRow("twelve Latin-1 lines cut to nine")
        << true << QByteArray("\"caf\xe9\"\r\n") + quotedLines(rowNames(1, 11)) << latin1Rows.mid(0, 9)
        << QByteArray("\"caf\xe9\"\r\n") + quotedLines(rowNames(1, 8)) << false;

    const QByteArray tenOnOneLine = "a,b,c,d,e,f,g,h,i,j\r\n";
    QTest::newRow("ten values on one line")
        << true << tenOnOneLine << QStringList { "a", "b", "c", "d", "e", "f", "g", "h", "i" }
        << quotedLines({ "a", "b", "c", "d", "e", "f", "g", "h", "i" }) << false;
}

void TestFrmButtons::loading()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, before);
    QFETCH(QStringList, expected);
    QFETCH(QByteArray, after);
    QFETCH(bool, untouched);
    if (present)
        QVERIFY(writeFile(iniPath(), before) && backdate(iniPath()));
    const FileIdentity was = identity(iniPath());
    QCOMPARE(captions(), expected);
    QCOMPARE(fileBytes(iniPath()), after);
    if (untouched)
        QVERIFY2(identity(iniPath()) == was, "the file was written again");
    QVERIFY(m_messages->messages().empty());
}

void TestFrmButtons::recording_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");

    QTest::newRow("phrase") << false << "Good morning"
                            << "Good morning";
    QTest::newRow("phrase with a comma") << false << "Yes, please"
                                         << "Yes, please";
    QTest::newRow("empty entry") << false << ""
                                 << "";
    QTest::newRow("phrase with quotes") << false << "She said \"no\""
                                        << "She said \"no\"";
    QTest::newRow("cancel keeps the phrase") << true << ""
                                             << "kept";
}

// The row takes the entry, the whole file is rewritten, and the next start reads it back.
void TestFrmButtons::recording()
{
    QFETCH(bool, cancel);
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    QStringList start = designCaptions();
    start[6] = "kept";
    QVERIFY(writeFile(iniPath(), quotedLines(start)));

    frmButtons& page = WindowRegistry::get<frmButtons>();
    if (cancel)
        m_messages->cancelInput();
    else
        m_messages->answerInput(typed);
    QTest::mouseClick(control<QPushButton>(page, "cmdrecord", 6), Qt::LeftButton);

    QCOMPARE(m_messages->inputs().size(), std::size_t(1));
    QCOMPARE(m_messages->inputs()[0].prompt, QString("Please Enter the String"));
    QCOMPARE(m_messages->inputs()[0].title, QString("Sayvanto"));
    QVERIFY(m_messages->inputs()[0].initial.isEmpty());
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 6)->text(), caption);
    QStringList expected = start;
    expected[6] = caption;
    QCOMPARE(captions(), expected);
    const QByteArray written = QByteArray(quotedLines(start))
                                   .replace("\"kept\"", '"' + QString(caption).replace("\"", "\"\"").toUtf8() + '"');
    QCOMPARE(fileBytes(iniPath()), written);
    QVERIFY(m_messages->messages().empty());

    WindowRegistry::destroyAll();
    QCOMPARE(captions(), expected);
}

void TestFrmButtons::encodingSurvivesRecording_data()
{
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Latin-1") << QByteArray("\"Caf\xe9 cr\xe8me\"\r\n") << QStringLiteral("Caf\u00e9 cr\u00e8me");
    QTest::newRow("Windows-1252") << QByteArray("\"\x93\x80\x94 \x81\x9d\"\r\n")
                                  << QStringLiteral("\u201c\u20ac\u201d \u0081\u009d");
    QTest::newRow("UTF-8") << QByteArray("\"Caf\xc3\xa9 cr\xc3\xa8me\"\r\n") << QStringLiteral("Caf\u00e9 cr\u00e8me");
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xef\xbb\xbf\"Caf\xc3\xa9 cr\xc3\xa8me\"\r\n") << QStringLiteral("Caf\u00e9 cr\u00e8me");
    QTest::newRow("mixed bytes") << QByteArray("\"Caf\xc3\xa9 cr\xe8me\"\r\n")
                                 << QStringLiteral("Caf\u00c3\u00a9 cr\u00e8me");
}

// The page shows the phrases as they were meant, and recording another phrase rewrites the
// file in its own encoding: every other byte stays as it was.
void TestFrmButtons::encodingSurvivesRecording()
{
    QFETCH(QByteArray, firstLine);
    QFETCH(QString, caption);
    const QByteArray before = firstLine + quotedLines(rowNames(1, 8));
    QVERIFY(writeFile(iniPath(), before));
    frmButtons& page = WindowRegistry::get<frmButtons>();
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 0)->text(), caption);
    QCOMPARE(fileBytes(iniPath()), before);

    m_messages->answerInput(QStringLiteral("new phrase"));
    QTest::mouseClick(control<QPushButton>(page, "cmdrecord", 8), Qt::LeftButton);
    QCOMPARE(fileBytes(iniPath()), QByteArray(before).replace("\"row 8\"", "\"new phrase\""));
    QVERIFY(m_messages->messages().empty());
}

void TestFrmButtons::clippedPhraseIsItsToolTip_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<bool>("clipped");
    QTest::newRow("short phrase") << "Good morning" << false;
    QTest::newRow("two lines") << "Could you please pass me the glass of water on the table?" << false;
    QTest::newRow("many lines") << QString("Could you please pass me the glass of water on the table? ").repeated(4)
                                << true;
    QTest::newRow("one long word") << QString(80, u'W') << true;
}

// What the label cannot show is read from its tooltip, for a phrase loaded from Buttons.ini and
// for one recorded; a phrase shown whole has no tooltip.
void TestFrmButtons::clippedPhraseIsItsToolTip()
{
    QFETCH(QString, phrase);
    QFETCH(bool, clipped);
    QStringList start = designCaptions();
    start[1] = phrase;
    QVERIFY(writeFile(iniPath(), quotedLines(start)));
    frmButtons& page = WindowRegistry::get<frmButtons>();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const QLabel* loaded = control<PhraseLabel>(page, "lblButton", 1);
    QCOMPARE(loaded->text(), phrase);
    // Measured as the label lays out its own text.
    const bool cut = loaded->heightForWidth(loaded->width()) > loaded->height()
        || loaded->fontMetrics().horizontalAdvance(phrase.section(u' ', 0, 0)) > loaded->width();
    QCOMPARE(cut, clipped);
    QCOMPARE(loaded->toolTip(), clipped ? phrase : QString());

    m_messages->answerInput(phrase);
    page.cmdRecord_Click(5);
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 5)->toolTip(), clipped ? phrase : QString());
    QVERIFY(control<PhraseLabel>(page, "lblButton", 0)->toolTip().isEmpty());
    m_messages->answerInput(QStringLiteral("Hi"));
    page.cmdRecord_Click(5);
    QVERIFY(control<PhraseLabel>(page, "lblButton", 5)->toolTip().isEmpty());
}

// The real input box: a sentence typed into it is seen whole, and becomes the phrase.
void TestFrmButtons::phraseBoxFitsASentence()
{
    // The scripted messages go with the service they belonged to.
    m_messages = nullptr;
    WindowRegistry::services().messages = std::make_unique<QtMessageService>();
    frmButtons& page = WindowRegistry::get<frmButtons>();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const QString sentence = QStringLiteral("Could you please pass me the glass of water on the table?");
    QString title;
    QString prompt;
    int room = 0;
    int needed = 0;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        prompt = box->labelText();
        QLineEdit* field = box->findChild<QLineEdit*>();
        QTest::keyClicks(field, sentence);
        // The field's own frame and margins take a few pixels on each side.
        room = field->width() - 12;
        needed = field->fontMetrics().horizontalAdvance(field->text());
        QTest::keyClick(field, Qt::Key_Return);
    });
    page.cmdRecord_Click(3);
    QCOMPARE(title, QStringLiteral("Sayvanto"));
    QCOMPARE(prompt, QStringLiteral("Please Enter the String"));
    QVERIFY2(needed > 0 && needed <= room, qPrintable(QStringLiteral("%1 of %2 pixels").arg(needed).arg(room)));
    QCOMPARE(page.phrase(3), sentence);
}

void TestFrmButtons::unwritableFileKeepsTheCaption()
{
    // A folder where Buttons.ini belongs cannot be replaced by a file, whoever runs the test.
    QVERIFY(QDir(m_folder->applicationFolder()).mkdir("Buttons.ini"));
    frmButtons& page = WindowRegistry::get<frmButtons>();
    QCOMPARE(captions(), designCaptions());
    QVERIFY2(m_messages->messages().empty(), "the repair at load reported its failure");

    m_messages->answerInput("Not kept on disk");
    page.cmdRecord_Click(2);
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 2)->text(), QString("Not kept on disk"));
    QCOMPARE(m_messages->messages().size(), std::size_t(1));
    const ScriptedMessages::Message& message = m_messages->messages()[0];
    QCOMPARE(message.title, QString("Sayvanto"));
    QVERIFY2(message.text.startsWith("The phrase could not be saved."), qPrintable(message.text));
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(iniPath())), qPrintable(message.text));
    QCOMPARE(message.style & vbExclamation, int(vbExclamation));
}

void TestFrmButtons::playPassesTheCaption_data()
{
    QTest::addColumn<bool>("record");
    QTest::addColumn<QString>("caption");
    QTest::newRow("design caption") << false << "Label1";
    QTest::newRow("recorded phrase") << true << "green apples";
    QTest::newRow("empty phrase") << true << "";
}

void TestFrmButtons::playPassesTheCaption()
{
    QFETCH(bool, record);
    QFETCH(QString, caption);
    MDIMain& main = WindowRegistry::get<MDIMain>();
    main.show();
    control<QAction>(main, "mnuModesItems", 2)->trigger();
    frmButtons& page = WindowRegistry::get<frmButtons>();
    frmConsole& console = WindowRegistry::get<frmConsole>();
    if (record) {
        m_messages->answerInput(caption);
        QTest::mouseClick(control<QPushButton>(page, "cmdrecord", 5), Qt::LeftButton);
    }
    const QStringList logBefore = control<QPlainTextEdit>(console, "DebugTxtBox")
                                      ->toPlainText()
                                      .split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);

    SpeechWatch watch(*console.Voice);
    QTest::mouseClick(control<QPushButton>(page, "cmdPlayButton", 5), Qt::LeftButton);
    QVERIFY(watch.waitForEnd());
    QCOMPARE(watch.started, 1);
    QVERIFY2(watch.spokeExactly(caption), qPrintable(caption));
    QCOMPARE(watch.words > 0, !caption.isEmpty());
    const QStringList log = control<QPlainTextEdit>(console, "DebugTxtBox")
                                ->toPlainText()
                                .split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);
    QCOMPARE(log.mid(logBefore.size()).first(), QString("Speak"));
}

QTEST_MAIN(TestFrmButtons)
#include "tst_frmButtons.moc"
