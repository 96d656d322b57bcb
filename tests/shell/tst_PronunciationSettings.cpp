#include "PronunciationFile.h"
#include "ShellTest.h"
#include "frmConsole.h"
#include "frmPronunciation.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

using namespace ShellTest;

// The pronunciation rules' file, their dialog from the Settings menu, and what the program does
// with a damaged file.
class tst_PronunciationSettings : public QObject {
    Q_OBJECT

private:
    std::optional<Doubles> m_doubles;

    QString rulesPath() const { return m_doubles->folder.filePath(QStringLiteral("Pronunciation.json")); }
    static SpVoice& voice() { return WindowRegistry::get<frmConsole>().voice(); }

    static frmPronunciation* openDialog(MDIMain& main)
    {
        control<QAction>(main, "mnuPronunciation")->trigger();
        auto* dialog = main.findChild<frmPronunciation*>(QStringLiteral("frmPronunciation"));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }

    static void setCell(QTableWidget& grid, int row, int column, const QString& text)
    {
        grid.item(row, column)->setText(text);
    }

private slots:
    void init() { m_doubles.emplace(freshProgram()); }
    void cleanup()
    {
        QVERIFY(m_doubles->messages.unexpected().isEmpty());
        WindowRegistry::reset();
        m_doubles.reset();
    }

    // What is written reads back the same, in order, options and all, as readable JSON.
    void fileRoundTrip()
    {
        const std::vector<PronunciationRule> rules { { QStringLiteral("Parlora"), QStringLiteral("par lora"), true,
                                                         false, false },
            { QStringLiteral(R"((\d+)km)"), QStringLiteral(R"(\1 kilometres)"), false, true, true },
            { QStringLiteral("Ελληνικά \"quoted\""), QString(), true, true, false } };
        PronunciationFile file(rulesPath());
        file.save(rules);
        const QByteArray bytes = fileBytes(rulesPath());
        QVERIFY(bytes.contains("\"spokenAs\": \"par lora\""));
        const PronunciationFile::Loaded loaded = file.load();
        QVERIFY(loaded.damagedFile.isEmpty());
        QVERIFY(loaded.rules == rules);
        // Options left out take their defaults.
        const auto brief = PronunciationFile::parse(R"({"rules":[{"text":"a","spokenAs":"b"}]})");
        QVERIFY(brief && brief->size() == 1 && brief->front().wholeWord && !brief->front().matchCase);
        QVERIFY(file.load().rules == rules);
        QVERIFY(PronunciationFile(m_doubles->folder.filePath(QStringLiteral("none.json"))).load().rules.empty());
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not JSON") << QByteArray("{\"rules\": [");
        QTest::newRow("no rules") << QByteArray("{\"other\": []}");
        QTest::newRow("rule without text") << QByteArray(R"({"rules":[{"spokenAs":"b"}]})");
        QTest::newRow("option of another type")
            << QByteArray(R"({"rules":[{"text":"a","spokenAs":"b","matchCase":"yes"}]})");
        QTest::newRow("an array") << QByteArray("[]");
    }

    // A damaged file is moved aside, byte for byte, never written over; each one gets its own name.
    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(rulesPath(), bytes));
        const PronunciationFile::Loaded first = PronunciationFile(rulesPath()).load();
        QVERIFY(first.rules.empty());
        QCOMPARE(first.damagedFile, rulesPath() + QStringLiteral(".damaged"));
        QCOMPARE(fileBytes(first.damagedFile), bytes);
        QVERIFY(!QFile::exists(rulesPath()));
        QVERIFY(writeFile(rulesPath(), bytes));
        QCOMPARE(PronunciationFile(rulesPath()).load().damagedFile, rulesPath() + QStringLiteral(".damaged-2"));
        QCOMPARE(fileBytes(first.damagedFile), bytes);
    }

    // At start a damaged file is reported once; the next start finds no file and says nothing.
    void damagedFileReportedOnceAtStart()
    {
        QVERIFY(writeFile(rulesPath(), "not rules"));
        shownMain();
        QCOMPARE(m_doubles->messages.messages().size(), size_t(1));
        QVERIFY(m_doubles->messages.messages().front().text.contains(QStringLiteral("Pronunciation.json.damaged")));
        QCOMPARE(fileBytes(rulesPath() + QStringLiteral(".damaged")), QByteArray("not rules"));
        restartProgram();
        shownMain();
        QCOMPARE(m_doubles->messages.messages().size(), size_t(1));
    }

    // The menu item comes last in Settings; the dialog shows the rules, and OK keeps the edited
    // rows in the file and gives them to the voice, which reads them at the next start too.
    void dialogEditsAndKeepsTheRules()
    {
        PronunciationFile(rulesPath()).save({ { QStringLiteral("Dr"), QStringLiteral("Doctor"), true, false, false } });
        MDIMain& main = shownMain();
        QCOMPARE(voice().pronunciationRules().rules().size(), size_t(1));
        const QList<QAction*> items = control<QMenu>(main, "mnuSettings")->actions();
        QCOMPARE(items.last()->objectName(), QStringLiteral("mnuPronunciation"));
        QCOMPARE(items.last()->text(), QStringLiteral("Pronunciation..."));

        frmPronunciation* dialog = openDialog(main);
        QVERIFY(dialog);
        auto* grid = control<QTableWidget>(*dialog, "RulesGrid");
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Dr"));
        control<QPushButton>(*dialog, "cmdAdd")->click();
        setCell(*grid, 1, 0, QStringLiteral("km"));
        setCell(*grid, 1, 1, QStringLiteral("kilometres"));
        grid->item(1, 3)->setCheckState(Qt::Checked);
        control<QPushButton>(*dialog, "cmdAdd")->click(); // left empty: no rule
        control<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Ok)->click();

        const std::vector<PronunciationRule> expected { { QStringLiteral("Dr"), QStringLiteral("Doctor"), true, false,
                                                            false },
            { QStringLiteral("km"), QStringLiteral("kilometres"), true, true, false } };
        QVERIFY(voice().pronunciationRules().rules() == expected);
        QVERIFY(PronunciationFile(rulesPath()).load().rules == expected);

        // Cancel drops what was edited.
        dialog = openDialog(main);
        QVERIFY(dialog);
        control<QPushButton>(*dialog, "cmdRemove")->click();
        control<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Cancel)->click();
        QVERIFY(voice().pronunciationRules().rules() == expected);
        QVERIFY(PronunciationFile(rulesPath()).load().rules == expected);
    }

    // Try speaks the sample with the rules in the table, which the voice does not keep; an
    // expression that cannot compile is named.
    void trySpeaksWithTheTableRules()
    {
        MDIMain& main = shownMain();
        frmPronunciation* dialog = openDialog(main);
        QVERIFY(dialog);
        control<QPushButton>(*dialog, "cmdAdd")->click();
        auto* grid = control<QTableWidget>(*dialog, "RulesGrid");
        setCell(*grid, 0, 0, QStringLiteral("Zork"));
        setCell(*grid, 0, 1, QStringLiteral("the great dragon"));
        control<QLineEdit>(*dialog, "txtSample")->setText(QStringLiteral("Zork"));
        QSignalSpy words(&voice(), &SpVoice::Word);
        QSignalSpy ends(&voice(), &SpVoice::EndStream);
        control<QPushButton>(*dialog, "cmdTry")->click();
        QVERIFY(voice().pronunciationRules().rules().empty());
        QVERIFY(QTest::qWaitFor([&] { return !ends.isEmpty(); }, 20000));
        // Three words were heard, each marking the word as written.
        QCOMPARE(words.size(), 3);
        for (const QList<QVariant>& word : words) {
            QCOMPARE(word.at(2).toInt(), 0);
            QCOMPARE(word.at(3).toInt(), 4);
        }

        control<QPushButton>(*dialog, "cmdAdd")->click();
        setCell(*grid, 1, 0, QStringLiteral("(unclosed"));
        grid->item(1, 4)->setCheckState(Qt::Checked);
        QVERIFY(control<QLabel>(*dialog, "lblProblems")->text().contains(QStringLiteral("(unclosed")));
        control<QDialogButtonBox>(*dialog, "buttons")->button(QDialogButtonBox::Cancel)->click();
    }
};

QTEST_MAIN(tst_PronunciationSettings)
#include "tst_PronunciationSettings.moc"
