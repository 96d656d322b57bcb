#include "Controls.h"
#include "EditorDocument.h"
#include "MessageBoxes.h"
#include "PhraseLabel.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "WindowRegistry.h"
#include "frmButtons.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The mode pages on their own, without the main window: what they need done beyond themselves
// (speaking, recording, the File menu's Save items) goes out as signals carrying the page's text.
class tst_PageRequests : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        WindowRegistry::reset();
        resetEditorDocument();
        m_messages = &ScriptedMessages::install();
        m_dialogs = &ScriptedDialogs::install();
        m_folder = &TemporaryFolder::install();
    }
    void cleanup()
    {
        QVERIFY2(m_messages->unexpected().isEmpty(), qPrintable(m_messages->unexpected().join('\n')));
        QVERIFY2(m_dialogs->unexpected().isEmpty(), qPrintable(m_dialogs->unexpected().join('\n')));
        WindowRegistry::reset();
        resetEditorDocument();
    }

    void quickTextAsksWithTheBoxText_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("first box") << 0 << "hello there";
        QTest::newRow("line breaks kept") << 2 << "one\n\nthree";
        QTest::newRow("empty box") << 3 << "";
    }
    void quickTextAsksWithTheBoxText()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        frmRandomText page;
        control<QPlainTextEdit>(page, QStringLiteral("Text1"), row)->setPlainText(text);
        QSignalSpy speak(&page, &frmRandomText::speakRequested);
        QSignalSpy record(&page, &frmRandomText::recordRequested);

        control<QPushButton>(page, QStringLiteral("cmdPlay"), row)->click();
        QCOMPARE(speak.size(), 1);
        QCOMPARE(speak[0][0].toString(), text);
        QCOMPARE(record.size(), 0);

        control<QPushButton>(page, QStringLiteral("cmdRecord"), row)->click();
        QCOMPARE(record.size(), 1);
        QCOMPARE(record[0][0].toString(), text);
        QCOMPARE(speak.size(), 1);
        // Asking opens no dialog and no box: the main window does that when it records.
        QVERIFY(m_dialogs->fileRequests().empty());
        QVERIFY(m_messages->messages().empty());
    }

    void phraseButtonAsksWithItsPhrase()
    {
        frmButtons page;
        control<PhraseLabel>(page, QStringLiteral("lblButton"), 4)->setPhrase(QStringLiteral("Call me at noon"));
        QSignalSpy speak(&page, &frmButtons::speakRequested);
        control<QPushButton>(page, QStringLiteral("cmdPlayButton"), 4)->click();
        control<QPushButton>(page, QStringLiteral("cmdPlayButton"), 0)->click();
        QCOMPARE(speak.size(), 2);
        QCOMPARE(speak[0][0].toString(), QStringLiteral("Call me at noon"));
        QCOMPARE(speak[1][0].toString(), QStringLiteral("Label1"));
    }

    // Typing makes both Save items usable; New, its question answered No, makes Save unusable.
    void editorTellsWhenSavingIsPossible()
    {
        frmEditor editor;
        QSignalSpy save(&editor, &frmEditor::saveAvailable);
        QSignalSpy saveAs(&editor, &frmEditor::saveAsAvailable);
        QTest::keyClicks(control<QPlainTextEdit>(editor, QStringLiteral("SayText")), QStringLiteral("ab"));
        QCOMPARE(save.size(), 2);
        QCOMPARE(saveAs.size(), 2);
        QVERIFY(save[1][0].toBool() && saveAs[1][0].toBool());

        m_messages->answer(vbNo);
        editor.NewFile();
        QCOMPARE(save.size(), 3);
        QCOMPARE(save[2][0].toBool(), false);
        QCOMPARE(saveAs.size(), 2);
    }

    // A file opened over unsaved work that was not saved (No) can be saved under its name at
    // once; one opened over nothing unsaved leaves the Save item as it was.
    void openingTellsWhetherSaveIsUsable_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("over unsaved work") << true;
        QTest::newRow("over nothing unsaved") << false;
    }
    void openingTellsWhetherSaveIsUsable()
    {
        QFETCH(bool, unsaved);
        const QString path = m_folder->filePath(QStringLiteral("words.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Some words");
        file.close();
        frmEditor editor;
        if (unsaved) {
            QTest::keyClicks(control<QPlainTextEdit>(editor, QStringLiteral("SayText")), QStringLiteral("x"));
            m_messages->answer(vbNo);
        }
        QSignalSpy save(&editor, &frmEditor::saveAvailable);
        m_dialogs->answerFile(path);
        editor.OpenFile();
        QCOMPARE(editor.plainText(), QStringLiteral("Some words"));
        QCOMPARE(save.size(), unsaved ? 1 : 0);
        if (unsaved)
            QCOMPARE(save[0][0].toBool(), true);
    }

private:
    ScriptedMessages* m_messages = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    TemporaryFolder* m_folder = nullptr;
};

QTEST_MAIN(tst_PageRequests)
#include "tst_PageRequests.moc"
