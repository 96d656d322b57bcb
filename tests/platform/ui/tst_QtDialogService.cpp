#include "QtDialogService.h"

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

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
