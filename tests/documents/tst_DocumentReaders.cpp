#include "DocumentKind.h"
#include "DocumentReader.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"
#include "TestDocuments.h"
#include "ZipArchive.h"
#include "ZipWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

// The readers against documents made here: what they read, in what order and with which
// separators; what they refuse; that they stop when cancelled.
class tst_DocumentReaders : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString path(const QString& name) const { return m_folder.filePath(name); }

    bool writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // The file's name as it was written for the row; empty when it could not be written.
    QString make(const QString& kind) const
    {
        if (kind == QLatin1String("html"))
            return writeFile(QStringLiteral("page.html"), TestDocuments::html()) ? path(QStringLiteral("page.html"))
                                                                                 : QString();
        if (kind == QLatin1String("markdown"))
            return writeFile(QStringLiteral("notes.md"), TestDocuments::markdown()) ? path(QStringLiteral("notes.md"))
                                                                                    : QString();
        if (kind == QLatin1String("odt"))
            return TestDocuments::writeOdt(path(QStringLiteral("letter.odt"))) ? path(QStringLiteral("letter.odt"))
                                                                               : QString();
        if (kind == QLatin1String("docx"))
            return TestDocuments::writeDocx(path(QStringLiteral("report.docx"))) ? path(QStringLiteral("report.docx"))
                                                                                 : QString();
        if (kind == QLatin1String("epub"))
            return TestDocuments::writeEpub(path(QStringLiteral("book.epub"))) ? path(QStringLiteral("book.epub"))
                                                                               : QString();
        if (kind == QLatin1String("pdf"))
            return TestDocuments::writePdf(path(QStringLiteral("paper.pdf"))) ? path(QStringLiteral("paper.pdf"))
                                                                              : QString();
        return {};
    }

    static QString extract(const QString& file)
    {
        ExtractionProgress progress;
        return DocumentReader::read(file, DocumentKinds::recognise(file), progress);
    }

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    void readsInReadingOrder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("expectedKind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("HTML") << "html" << int(DocumentKind::Html)
                              << QStringLiteral("Über Wörter\n\nFirst paragraph with bold words.\n\nOne\nTwo\n\n"
                                                "Cell A\tCell B\nC\tD\n\nA cat and\n\n  kept\n  as is\n\n"
                                                "Ελληνικά & more text");
        QTest::newRow("Markdown") << "markdown" << int(DocumentKind::Markdown)
                                  << QStringLiteral("Über Wörter\n\nFirst paragraph with bold words.\n\nOne\nTwo\n\n"
                                                    "Name\tValue\nA\t1\nB\t2\n\nA cat and a link.\n\n"
                                                    "code block\nkept\n\nRaw HTML\n\nΕλληνικά");
        QTest::newRow("OpenDocument") << "odt" << int(DocumentKind::Odt)
                                      << QStringLiteral(
                                             "Über Wörter\n\nFirst paragraph with space.\n\nOne\nTwo\nlines\n\n"
                                             "Cell A\tCell B\nC\tD\n\nHidden after.\n\nA cat\n\nΕλληνικά");
        QTest::newRow("Word") << "docx" << int(DocumentKind::Docx)
                              << QStringLiteral(
                                     "Über Wörter\n\nFirst paragraph.\n\nOne\nTwo\n\nCell A\tCell B\nC\tD\n\n"
                                     "A cat\n\nΕλληνικά");
        QTest::newRow("EPUB") << "epub" << int(DocumentKind::Epub)
                              << QStringLiteral("Über Wörter\n\nFirst paragraph.\n\nOne\nTwo\n\nChapter two\n\n"
                                                "Cell A\tCell B\n\nΕλληνικά");
        QTest::newRow("PDF") << "pdf" << int(DocumentKind::Pdf)
                             << QStringLiteral("Über Wörter\n\nFirst paragraph with a long continued word and a line "
                                               "that ends in 1990- 1995 as written.\n\n• One\n\n• Two\n\n"
                                               "Cell A Cell B\n\nGrüße auf Ελληνικά");
    }

    void readsInReadingOrder()
    {
        QFETCH(QString, kind);
        QFETCH(int, expectedKind);
        QFETCH(QString, expected);
        const QString file = make(kind);
        QVERIFY(!file.isEmpty());
        QCOMPARE(int(DocumentKinds::recognise(file)), expectedKind);
        QCOMPARE(extract(file), expected);
    }

    // The content names the kind whatever the name says; .txt is always text.
    void recognisesByContent()
    {
        const QString book = make(QStringLiteral("epub"));
        const QString renamed = path(QStringLiteral("book.bin"));
        QVERIFY(QFile::copy(book, renamed));
        QCOMPARE(DocumentKinds::recognise(renamed), DocumentKind::Epub);
        const QString paper = make(QStringLiteral("pdf"));
        QVERIFY(QFile::copy(paper, path(QStringLiteral("paper"))));
        QCOMPARE(DocumentKinds::recognise(path(QStringLiteral("paper"))), DocumentKind::Pdf);
        QVERIFY(writeFile(QStringLiteral("page.dat"), "\xEF\xBB\xBF  <!DOCTYPE HTML><p>x</p>"));
        QCOMPARE(DocumentKinds::recognise(path(QStringLiteral("page.dat"))), DocumentKind::Html);
        QVERIFY(QFile::copy(paper, path(QStringLiteral("paper.txt"))));
        QCOMPARE(DocumentKinds::recognise(path(QStringLiteral("paper.txt"))), DocumentKind::Text);
        // A zip that is no document, named as nothing in particular, stays text as before.
        QVERIFY(ZipWriter().add(QStringLiteral("a.txt"), "a").write(path(QStringLiteral("other.zip"))));
        QCOMPARE(DocumentKinds::recognise(path(QStringLiteral("other.zip"))), DocumentKind::Text);
        QVERIFY(writeFile(QStringLiteral("plain"), "Just words."));
        QCOMPARE(DocumentKinds::recognise(path(QStringLiteral("plain"))), DocumentKind::Text);
    }

    void refusesBadDocuments_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray damaged = "PK\x03\x04";
        damaged += QByteArray(300, '\x7f');
        QTest::newRow("damaged zip") << "damaged.docx" << damaged;
        QTest::newRow("broken PDF") << "broken.pdf"
                                    << QByteArray("%PDF-1.7\n1 0 obj << /Type /Catalog >>\nendobj\n%%EOF");
        QTest::newRow("not a PDF") << "fake.pdf" << QByteArray("hello");
        QTest::newRow("zip without a book") << "empty.epub" << QByteArray();
        QTest::newRow("empty file named docx") << "empty.docx" << QByteArray();
    }

    void refusesBadDocuments()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        if (name == QLatin1String("empty.epub"))
            QVERIFY(ZipWriter().add(QStringLiteral("mimetype"), "application/epub+zip").write(path(name)));
        else
            QVERIFY(writeFile(name, bytes));
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(path(name)));
    }

    void refusesTruncatedArchive()
    {
        const QString file = make(QStringLiteral("docx"));
        QFile archive(file);
        QVERIFY(archive.open(QIODevice::ReadWrite));
        QVERIFY(archive.resize(archive.size() / 2));
        archive.close();
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(file));
    }

    // Entity declarations are refused outright, however small: they are how XML is made to
    // expand without bound or to read other files.
    void refusesEntityDeclarations()
    {
        const QByteArray prologue = "<!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>";
        const QString file = path(QStringLiteral("entities.docx"));
        QVERIFY(TestDocuments::writeDocxBody(file, "<w:p><w:r><w:t>&b;</w:t></w:r></w:p>", prologue));
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(file));
    }

    // A part that inflates past 100 MB is refused, as is an encrypted one.
    void refusesArchiveBombsAndEncryption()
    {
        const QByteArray filler(ZipArchive::expansionLimit + 1024, ' ');
        const QString bomb = path(QStringLiteral("bomb.docx"));
        QVERIFY(TestDocuments::writeDocxBody(bomb, "<w:p><w:r><w:t>" + filler + "</w:t></w:r></w:p>"));
        QVERIFY(QFileInfo(bomb).size() < 1024 * 1024);
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(bomb));

        const QString locked = path(QStringLiteral("locked.odt"));
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(locked).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        QVERIFY(archive);
        static const char type[] = "application/vnd.oasis.opendocument.text";
        static const char content[] = "<office:document-content/>";
        zip_file_add(archive, "mimetype", zip_source_buffer(archive, type, sizeof type - 1, 0), 0);
        const zip_int64_t index
            = zip_file_add(archive, "content.xml", zip_source_buffer(archive, content, sizeof content - 1, 0), 0);
        QVERIFY(index >= 0);
        QCOMPARE(zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret"), 0);
        QCOMPARE(zip_close(archive), 0);
        QCOMPARE(DocumentKinds::recognise(locked), DocumentKind::Odt);
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(locked));
    }

    void refusesLockedPdf()
    {
        const QString file = QFINDTESTDATA("documents/data/locked.pdf");
        QVERIFY(!file.isEmpty());
        QVERIFY_THROWS_EXCEPTION(PlatformError, extract(file));
    }

    // Nesting far past any real page neither crashes nor loses the text around it.
    void survivesDeepNesting()
    {
        QByteArray page = "<p>before</p>";
        page += QByteArray("<div>").repeated(100000) + "deep" + QByteArray("</div>").repeated(100000);
        page += "<p>after</p>";
        QVERIFY(writeFile(QStringLiteral("deep.html"), page));
        const QString text = extract(path(QStringLiteral("deep.html")));
        QVERIFY2(text.startsWith(QLatin1String("before")), qPrintable(text.left(80)));
    }

    void stopsWhenCancelled_data()
    {
        QTest::addColumn<QString>("kind");
        // A page of HTML or Markdown is one part, read at once; these count their parts.
        for (const char* kind : { "odt", "docx", "epub", "pdf" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void stopsWhenCancelled()
    {
        QFETCH(QString, kind);
        const QString file = make(kind);
        ExtractionProgress progress;
        progress.cancel();
        QVERIFY_THROWS_EXCEPTION(
            ExtractionCancelled, DocumentReader::read(file, DocumentKinds::recognise(file), progress));
    }
};

QTEST_MAIN(tst_DocumentReaders)
#include "tst_DocumentReaders.moc"
