#include "Controls.h"
#include "EditorDocument.h"
#include "Files.h"
#include "GuardedApplication.h"
#include "LongText.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "Program.h"
#include "User.h"
#include "WindowRegistry.h"
#include "frmEditor.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <memory>
#include <utility>

namespace {

// The open dialog answers with a file that is gone by the time the program reads it: it is
// deleted as the dialog closes.
class VanishingFileDialog : public DialogService {
public:
    explicit VanishingFileDialog(QString path)
        : m_path(std::move(path))
    {
    }
    std::optional<ChosenFile> chooseFile(QWidget*, const FileDialogRequest&) override
    {
        QFile::remove(m_path);
        return m_path;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&, int) override { return std::nullopt; }

private:
    QString m_path;
};

QByteArray binaryFile()
{
    QByteArray bytes;
    for (int round = 0; round < 64; ++round) {
        for (int value = 0; value < 256; ++value)
            bytes += char(value);
    }
    QRandomGenerator random(20240611);
    for (int i = 0; i < 48 * 1024; ++i)
        bytes += char(random.bounded(256));
    return bytes;
}

// What the box shows of a text whose lines end in CR LF.
QString shownText(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

// Files a user may open by mistake or by bad luck: each either opens or is refused with
// "Can't open file.", and the editor goes on working with nothing lost.
class TestEditorBadFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void openBadFile_data();
    void openBadFile();
    void saveWithoutEditKeepsTheBytes_data();
    void saveWithoutEditKeepsTheBytes();

private:
    std::unique_ptr<Program> m_program;
};

void TestEditorBadFiles::initTestCase()
{
    m_program = std::make_unique<Program>();
    QVERIFY2(m_program->start(), qPrintable(m_program->failure()));
}

void TestEditorBadFiles::cleanupTestCase()
{
    m_program.reset();
}

void TestEditorBadFiles::openBadFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("vanishes");
    QTest::addColumn<QString>("expected"); // null: whatever the box makes of it

    const QByteArray longText = longTextFile(10 * 1024 * 1024);
    QTest::newRow("10 MB of text") << longText << false << shownText(longText);
    QTest::newRow("binary") << binaryFile() << false << QString();
    // Not UTF-8: read in the 8-bit code page, where each byte is a character of its own.
    QTest::newRow("bytes invalid in the locale's encoding")
        << QByteArray("caf\xe9 na\xefve \xff end\r\n") << false << QStringLiteral("caf\u00e9 na\u00efve \u00ff end\n");
    QTest::newRow("vanishes after the dialog") << QByteArray("here a moment ago\r\n") << true << QString();
}

void TestEditorBadFiles::openBadFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, vanishes);
    QFETCH(QString, expected);
    Program& program = *m_program;
    MDIMain& main = program.main();
    QPlainTextEdit* box = control<QPlainTextEdit>(program.editor(), "SayText");

    if (editorDocument().TextModified)
        program.messages.answer(vbNo);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 0)));
    User::type(box, "before");
    const QString nameBefore = editorDocument().EditorFileName;
    const QString path = program.path(QStringLiteral("file%1.txt").arg(QTest::currentDataTag()).remove(' '));
    QVERIFY(writeFile(path, content));

    const std::size_t shownBefore = program.messages.messages().size();
    program.messages.answer(vbNo); // "Would you like to save your work?"
    std::unique_ptr<DialogService> scripted;
    if (vanishes)
        scripted = std::exchange(WindowRegistry::services().dialogs, std::make_unique<VanishingFileDialog>(path));
    else
        program.dialogs.answerFile(path);
    QElapsedTimer opening;
    opening.start();
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 1)));
    qInfo("Open took %lld ms", static_cast<long long>(opening.elapsed()));
    if (scripted)
        WindowRegistry::services().dialogs = std::move(scripted);

    const auto& shown = program.messages.messages();
    QCOMPARE(shown.at(shownBefore).text, QString("Would you like to save your work?"));
    const bool refused = shown.size() > shownBefore + 1;
    if (refused) {
        QCOMPARE(shown.size(), shownBefore + 2);
        QCOMPARE(shown.back().text, QString("Can't open file."));
        QCOMPARE(shown.back().title, QString("Error"));
        QCOMPARE(shown.back().style, vbOKOnly | vbCritical);
        QCOMPARE(box->toPlainText(), QString("before"));
        QVERIFY(editorDocument().TextModified);
        QCOMPARE(editorDocument().EditorFileName, nameBefore);
    } else {
        QVERIFY2(!vanishes, "a file that is gone cannot have been read");
        QVERIFY(!editorDocument().TextModified);
        QCOMPARE(editorDocument().EditorFileName, path);
        if (!expected.isNull())
            QCOMPARE(box->toPlainText(), expected);
        else
            QVERIFY(!box->toPlainText().isEmpty());
    }
    QVERIFY(vanishes ? !QFile::exists(path) : fileBytes(path) == content);

    // The editor goes on working.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, "!");
    QVERIFY(box->toPlainText().endsWith('!'));
    QVERIFY(editorDocument().TextModified);
    QVERIFY(program.dialogs.unexpected().isEmpty());
    QVERIFY(program.messages.unexpected().isEmpty());
}

void TestEditorBadFiles::saveWithoutEditKeepsTheBytes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown");
    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me \u2026\n");
    QTest::newRow("Latin-1") << QByteArray("Caf\xe9 cr\xe8me ...\r\n") << QStringLiteral("Caf\u00e9 cr\u00e8me ...\n");
    QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 cr\xe8me \x85\r\n") << cafe;
    QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 cr\xc3\xa8me \xe2\x80\xa6\r\n") << cafe;
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xef\xbb\xbf"
                                                              "Caf\xc3\xa9 cr\xc3\xa8me \xe2\x80\xa6\r\n")
                                                << cafe;
    QTest::newRow("mixed bytes") << QByteArray("Caf\xc3\xa9 cr\xe8me\r\n")
                                 << QStringLiteral("Caf\u00c3\u00a9 cr\u00e8me\n");
}

// The user opens a file from the menu and presses Ctrl+S without an edit: the file is unchanged.
void TestEditorBadFiles::saveWithoutEditKeepsTheBytes()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    Program& program = *m_program;
    MDIMain& main = program.main();
    QPlainTextEdit* box = control<QPlainTextEdit>(program.editor(), "SayText");
    const QString path = program.path(QStringLiteral("kept%1.txt").arg(QTest::currentDataTag()).remove(' '));
    QVERIFY(writeFile(path, content));

    // Unsaved work, answered No: Open enables Save as it does for the user of the report.
    User::type(box, "work");
    program.messages.answer(vbNo);
    program.dialogs.answerFile(path);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 1)));
    QCOMPARE(box->toPlainText(), shown);
    QCOMPARE(editorDocument().EditorFileName, path);
    QVERIFY(control<QAction>(main, "mnuFileItems", 2)->isEnabled());

    // Other bytes on disk meanwhile: only the save can bring the file's own bytes back.
    QVERIFY(writeFile(path, "replaced"));
    QVERIFY(QTest::qWaitForWindowActive(&main));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!editorDocument().TextModified);
    QCOMPARE(fileBytes(path), content);
    QVERIFY(program.dialogs.unexpected().isEmpty());
    QVERIFY(program.messages.unexpected().isEmpty());
}

int main(int argc, char** argv)
{
    // The files are read in the system's encoding; this test's expectations are for UTF-8.
    qputenv("LC_ALL", "C.UTF-8");
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    TestEditorBadFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EditorBadFiles.moc"
