#include "QtDialogService.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestQtDialogService : public QObject {
    Q_OBJECT

private slots:
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("wave") << "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav"
                              << QStringList { "All Files (*)", "Wave Files (*.wav)" };
        QTest::newRow("several patterns") << "Pictures|*.bmp; *.png" << QStringList { "Pictures (*.bmp *.png)" };
        QTest::newRow("unfinished pair") << "Text (*.txt)|*.txt|Wave" << QStringList { "Text (*.txt)" };
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(QtDialogService::nameFilters(filter), expected);
    }

    void configureFollowsRequest()
    {
        FileDialogRequest request { FileDialogRequest::Kind::Save, "Save to a Wave File",
            "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav", 2, 34818, {} };
        QFileDialog save;
        QtDialogService::configure(save, request);
        QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save.selectedNameFilter(), QStringLiteral("Wave Files (*.wav)"));
        QVERIFY(!save.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(save.defaultSuffix(), QString());

        request = { FileDialogRequest::Kind::Open, {}, request.filter, 9, QtDialogService::fileMustExist, {} };
        QFileDialog open;
        QtDialogService::configure(open, request);
        QCOMPARE(open.selectedNameFilter(), QStringLiteral("All Files (*)")); // index out of range
        QCOMPARE(open.fileMode(), QFileDialog::ExistingFile);
        QVERIFY(open.testOption(QFileDialog::DontConfirmOverwrite));
    }

    // The entry the user picks comes back with the name, so that the caller can act on it.
    void chosenEntryComesBack()
    {
        QTemporaryDir folder;
        const FileDialogRequest request { FileDialogRequest::Kind::Save, "Save to a Wave File",
            "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3", 2, 0, folder.filePath("start") };
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->selectNameFilter(QStringLiteral("MP3 Files (*.mp3)"));
            QMetaObject::invokeMethod(dialog, "accept"); // as the Save button does
        });
        user.start(20);
        QtDialogService service;
        const std::optional<ChosenFile> chosen = service.chooseFile(nullptr, request);
        QVERIFY(chosen);
        QCOMPARE(chosen->fileName, folder.filePath("start"));
        QCOMPARE(chosen->filterIndex, 3);
    }

    void flagsRefuseNames()
    {
        QTemporaryDir folder;
        const QString readOnly = folder.filePath("readonly.wav");
        QFile file(readOnly);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadUser));
        const QString noFolder = folder.filePath("nowhere/new.wav");

        const FileDialogRequest wave { FileDialogRequest::Kind::Save, {}, {}, 1, 34818, {} };
        QVERIFY(QtDialogService::refusal(readOnly, wave).contains("read-only"));
        QVERIFY(QtDialogService::refusal(noFolder, wave).contains("does not exist"));
        QCOMPARE(QtDialogService::refusal(folder.filePath("new.wav"), wave), QString());
        const FileDialogRequest anything { FileDialogRequest::Kind::Save, {}, {}, 1, 0, {} };
        QCOMPARE(QtDialogService::refusal(readOnly, anything), QString());
    }
};

QTEST_MAIN(TestQtDialogService)
#include "tst_QtDialogService.moc"
