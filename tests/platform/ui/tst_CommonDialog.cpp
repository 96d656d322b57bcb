#include "CommonDialog.h"
#include "PlatformError.h"
#include "ScriptedDialogs.h"
#include "WindowRegistry.h"

#include <QTest>

class TestCommonDialog : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { WindowRegistry::reset(); }

    void dialogsGetTheProperties()
    {
        ScriptedDialogs& dialogs = ScriptedDialogs::install();
        dialogs.answerFile("/tmp/speech");
        dialogs.answerColor(QColor(0, 128, 255));
        CommonDialog dialog;
        dialog.DialogTitle = "Save to a Wave File";
        dialog.Filter = "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav";
        dialog.FilterIndex = 2;
        dialog.Flags = 34818;
        dialog.FileName = "/tmp/earlier.wav";
        dialog.ShowSave();
        const FileDialogRequest& request = dialogs.fileRequests().at(0);
        QCOMPARE(request.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(request.title, dialog.DialogTitle);
        QCOMPARE(request.filter, dialog.Filter);
        QCOMPARE(request.filterIndex, 2);
        QCOMPARE(request.flags & 2, 2); // asks before replacing a file
        QCOMPARE(request.fileName, QStringLiteral("/tmp/earlier.wav"));
        QCOMPARE(dialog.FileName, QStringLiteral("/tmp/speech")); // as given: no extension added

        dialog.Color = 0x0000FF;
        dialog.ShowColor();
        QCOMPARE(dialogs.colorRequests().at(0).initial, QColor(Qt::red));
        QCOMPARE(dialog.Color, 0xFF8000);
        QVERIFY(dialogs.unexpected().isEmpty());
    }

    void cancel_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("cancelError");
        for (int which = 0; which < 3; ++which) {
            QTest::addRow("dialog %d with CancelError", which) << which << true;
            QTest::addRow("dialog %d without", which) << which << false;
        }
    }

    void cancel()
    {
        QFETCH(int, which);
        QFETCH(bool, cancelError);
        ScriptedDialogs& dialogs = ScriptedDialogs::install();
        dialogs.cancelFile();
        dialogs.cancelColor();
        CommonDialog dialog;
        dialog.CancelError = cancelError;
        dialog.FileName = "kept.txt";
        dialog.Color = 0x336699;
        int thrown = 0;
        try {
            which == 0 ? dialog.ShowOpen() : which == 1 ? dialog.ShowSave() : dialog.ShowColor();
        } catch (const PlatformError& error) {
            thrown = error.number();
            QCOMPARE(error.description(), QStringLiteral("Cancel was selected."));
        }
        QCOMPARE(thrown, cancelError ? 32755 : 0);
        QCOMPARE(dialog.FileName, QStringLiteral("kept.txt"));
        QCOMPARE(dialog.Color, 0x336699);
    }
};

QTEST_MAIN(TestCommonDialog)
#include "tst_CommonDialog.moc"
