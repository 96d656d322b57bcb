#include "Controls.h"
#include "DocumentOpening.h"
#include "EditorDocument.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "TestDocuments.h"
#include "WindowRegistry.h"
#include "ZipWriter.h"
#include "frmEditor.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// Documents in the editor: opened as new, unsaved text that Save never writes over the
// document, and bad documents that leave the editor as it was.
class tst_EditorDocuments : public QObject {
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_folder->filePath(name); }
    QPlainTextEdit* sayText() const { return control<QPlainTextEdit>(*m_editor, "SayText"); }
    QByteArray bytesOf(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    bool writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // Opens a file through File > Open, answering the open dialog with it.
    void open(const QString& name)
    {
        m_dialogs->answerFile(path(name));
        m_editor->OpenFile();
    }

    frmEditor* m_editor = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    ScriptedMessages* m_messages = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;

private slots:
    void init()
    {
        WindowRegistry::reset();
        resetEditorDocument();
        TemporaryFolder::install();
        m_dialogs = &ScriptedDialogs::install();
        m_messages = &ScriptedMessages::install();
        auto& main = WindowRegistry::get<MDIMain>();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        m_editor = &WindowRegistry::get<frmEditor>();
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
    }

    void cleanup()
    {
        QVERIFY(m_dialogs->unexpected().isEmpty());
        QCOMPARE(m_dialogs->pending(), 0);
        QVERIFY(m_messages->unexpected().isEmpty());
        QCOMPARE(m_messages->pending(), 0);
        WindowRegistry::reset();
        resetEditorDocument();
    }

    // The open dialog keeps the text files' entries first and adds the documents; the save
    // dialog offers text files only.
    void openDialogOffersDocuments()
    {
        m_dialogs->cancelFile();
        m_editor->OpenFile();
        QCOMPARE(m_dialogs->fileRequests().size(), size_t(1));
        const QString filter = m_dialogs->fileRequests().front().filter;
        QVERIFY(filter.startsWith(QLatin1String("Text files (*.txt)|*.txt|All files (*.*)|*.*|")));
        QCOMPARE(m_dialogs->fileRequests().front().filterIndex, 1);
        for (const char* pattern : { "*.html;*.htm;*.xhtml", "|*.epub", "|*.odt", "|*.docx", "|*.pdf", "|*.md" })
            QVERIFY2(filter.contains(QLatin1String(pattern)), pattern);
    }

    // The document's text comes in as new, unsaved text; Save asks for a name, proposing the
    // document's with .txt, and the document itself is never written.
    void openAndSaveCycle()
    {
        QVERIFY(TestDocuments::writeEpub(path(QStringLiteral("book.epub"))));
        const QByteArray book = bytesOf(QStringLiteral("book.epub"));
        editorDocument().EditorFileName = path(QStringLiteral("earlier.txt"));
        QSignalSpy saveItem(m_editor, &frmEditor::saveAvailable);
        open(QStringLiteral("book.epub"));
        QVERIFY(sayText()->toPlainText().startsWith(QStringLiteral("Über Wörter\n\nFirst paragraph.")));
        QVERIFY(editorDocument().TextModified);
        QVERIFY(editorDocument().Untitled);
        QCOMPARE(saveItem.size(), 1);
        QCOMPARE(saveItem.last().at(0).toBool(), true);
        QVERIFY(m_messages->messages().empty());

        m_dialogs->answerFile(path(QStringLiteral("book.txt")));
        m_editor->SaveFile();
        const FileDialogRequest& save = m_dialogs->fileRequests().back();
        QCOMPARE(save.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(save.fileName, path(QStringLiteral("book.txt")));
        QCOMPARE(bytesOf(QStringLiteral("book.epub")), book);
        const QByteArray saved = bytesOf(QStringLiteral("book.txt"));
        QVERIFY(saved.startsWith("Über Wörter\r\n\r\nFirst paragraph."));
        QVERIFY(!editorDocument().TextModified);
        QCOMPARE(editorDocument().EditorFileName, path(QStringLiteral("book.txt")));

        // Once saved it is a text file like any other: Save writes it without asking.
        QTest::keyClicks(sayText(), QStringLiteral("x"));
        m_editor->SaveFile();
        QCOMPARE(m_dialogs->fileRequests().size(), size_t(2));
        QVERIFY(bytesOf(QStringLiteral("book.txt")) != saved);
    }

    // Opening a document with unsaved work asks first, as opening a text file does.
    void documentAfterUnsavedWork()
    {
        QTest::keyClicks(sayText(), QStringLiteral("Work"));
        QVERIFY(writeFile(QStringLiteral("page.html"), TestDocuments::html()));
        m_messages->answer(vbNo);
        open(QStringLiteral("page.html"));
        QCOMPARE(m_messages->messages().size(), size_t(1));
        QVERIFY(sayText()->toPlainText().startsWith(QStringLiteral("Über Wörter")));
    }

    // A text file opens exactly as before, also under a name that is no document's.
    void textFilesOpenAsBefore()
    {
        QVERIFY(writeFile(QStringLiteral("notes.txt"), "<html><body>Not a page</body></html>\r\n"));
        open(QStringLiteral("notes.txt"));
        QCOMPARE(sayText()->toPlainText(), QStringLiteral("<html><body>Not a page</body></html>\n"));
        QVERIFY(!editorDocument().TextModified);
        QVERIFY(!editorDocument().Untitled);
        QCOMPARE(editorDocument().EditorFileName, path(QStringLiteral("notes.txt")));
    }

    // A reading that takes a while shows the parts read in a modal dialog, whose Cancel ends it
    // with nothing read.
    void longReadingShowsProgressAndCancels()
    {
        constexpr int chapters = 3000;
        ZipWriter book;
        book.add(QStringLiteral("mimetype"), "application/epub+zip");
        book.add(QStringLiteral("META-INF/container.xml"),
            "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
            "<rootfile full-path=\"b.opf\"/></rootfiles></container>");
        QByteArray manifest;
        QByteArray spine;
        for (int i = 0; i < chapters; ++i) {
            const QByteArray id = "c" + QByteArray::number(i);
            manifest += "<item id=\"" + id + "\" href=\"" + id + ".html\"/>";
            spine += "<itemref idref=\"" + id + "\"/>";
            // Enough in each that the whole takes a while on any machine.
            book.add(
                QString::fromLatin1(id + ".html"), "<p>" + QByteArray("Some words to read. ").repeated(150) + "</p>");
        }
        book.add(QStringLiteral("b.opf"),
            "<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest>" + manifest + "</manifest><spine>" + spine
                + "</spine></package>");
        QVERIFY(book.write(path(QStringLiteral("long.epub"))));

        int shownMaximum = -1;
        bool wasModal = false;
        QTimer cancel;
        cancel.setInterval(5);
        connect(&cancel, &QTimer::timeout, this, [&] {
            auto* dialog = m_editor->findChild<QProgressDialog*>(QStringLiteral("DocumentProgress"));
            if (!dialog || !dialog->isVisible() || dialog->maximum() == 0)
                return;
            shownMaximum = dialog->maximum();
            wasModal = dialog->isModal();
            dialog->findChild<QPushButton*>()->click();
        });
        cancel.start();
        DocumentOpening opening(path(QStringLiteral("long.epub")), m_editor, 0);
        const std::optional<QString> text = opening.read();
        QCOMPARE(shownMaximum, chapters);
        QVERIFY(wasModal);
        QVERIFY(!text.has_value());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A bad document says "Can't open file." and changes nothing: the text, its name, its
    // modified flag and the undo store stay.
    void badDocumentsChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("damaged zip") << "damaged.docx" << QByteArray("PK\x03\x04 damaged");
        QTest::newRow("broken PDF") << "broken.pdf" << QByteArray("%PDF-1.4\nnothing else");
        QTest::newRow("empty file named epub") << "empty.epub" << QByteArray();
    }

    void badDocumentsChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(name, bytes));
        QTest::keyClicks(sayText(), QStringLiteral("Kept"));
        EditorDocument& document = editorDocument();
        document.EditorFileName = path(QStringLiteral("kept.txt"));
        const int index = document.UndoIndex;
        m_messages->answer(vbNo);
        open(name);
        QCOMPARE(m_messages->messages().back().text, QStringLiteral("Can't open file."));
        QCOMPARE(m_messages->messages().back().title, QStringLiteral("Error"));
        QCOMPARE(sayText()->toPlainText(), QStringLiteral("Kept"));
        QVERIFY(document.TextModified);
        QCOMPARE(document.EditorFileName, path(QStringLiteral("kept.txt")));
        QCOMPARE(document.UndoIndex, index);
        QVERIFY(!document.UndoStrings.isEmpty(index));
    }
};

QTEST_MAIN(tst_EditorDocuments)
#include "tst_EditorDocuments.moc"
