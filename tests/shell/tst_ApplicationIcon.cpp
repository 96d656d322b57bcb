#include "ApplicationIcon.h"
#include "Controls.h"
#include "EventLogWindow.h"
#include "ShellTest.h"
#include "frmAbout.h"
#include "frmHelp.h"
#include "frmSplash.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

// The windows carry the program's icon at every size a desktop asks for, and name the desktop
// entry they belong to.
class TestApplicationIcon : public QObject {
    Q_OBJECT
private slots:
    void everySizeIsTheSpeechBubble_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
            QTest::addRow("%d px", size) << size;
    }
    void everySizeIsTheSpeechBubble()
    {
        QFETCH(int, size);
        const QImage picture = ApplicationIcon::icon().pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(picture.size(), QSize(size, size));
        // Clear corners around the bubble, its blue body left of the middle bar, the white bar.
        QCOMPARE(qAlpha(picture.pixel(size - 1, size - 1)), 0);
        const QColor body = picture.pixelColor(size / 8, size * 2 / 5);
        QVERIFY2(body.alpha() == 255 && body.blue() > 150 && body.red() < 120, qPrintable(body.name()));
        QCOMPARE(picture.pixelColor(size / 2, size * 2 / 5), QColor(Qt::white));
    }

    void windowsCarryIt()
    {
        ApplicationIcon::apply();
        QCOMPARE(QGuiApplication::desktopFileName(), ApplicationIcon::applicationId());
        QVERIFY(ApplicationIcon::applicationId().contains(QLatin1Char('.')));
        QWidget window;
        QCOMPARE(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QVERIFY(!window.windowIcon().isNull());
    }

    void init() { ShellTest::freshProgram(); }
    void cleanup() { WindowRegistry::reset(); }

    // Each top-level window of the program carries the icon and an icon name, its title; under
    // X the window manager reads both from the window's properties.
    void everyWindowNamesItself_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::newRow("splash") << "frmSplash"
                                << "Parlora v1.0";
        QTest::newRow("main") << "MDIMain"
                              << "Parlora v1.0 - Text Editor Mode";
        QTest::newRow("help") << "frmHelp"
                              << "Help";
        QTest::newRow("about") << "frmAbout"
                               << "Parlora v1.0";
        QTest::newRow("event log") << "EventLogWindow"
                                   << "Parlora v1.0 - Event Log";
    }
    void everyWindowNamesItself()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QWidget& shown = show(window);
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        QVERIFY(shown.isWindow());
        QCOMPARE(shown.windowTitle(), title);
        QCOMPARE(shown.windowIconText(), title);
        QVERIFY(!shown.windowIcon().isNull());
        QCOMPARE(shown.windowIcon().pixmap(32).toImage(), ApplicationIcon::icon().pixmap(32).toImage());
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        const QString properties = xprop(shown, { "_NET_WM_ICON_NAME", "_NET_WM_ICON" });
        QVERIFY2(properties.startsWith(QStringLiteral("_NET_WM_ICON_NAME(UTF8_STRING) = \"%1\"\n").arg(title)),
            qPrintable(properties));
        QVERIFY2(properties.contains(QStringLiteral("_NET_WM_ICON(CARDINAL) =")), qPrintable(properties));
    }

    // The main window's icon name follows its caption through the modes.
    void iconNameFollowsTheCaption()
    {
        MDIMain& main = WindowRegistry::get<MDIMain>();
        control<QAction>(main, "mnuModesItems", 1)->trigger();
        QCOMPARE(main.windowIconText(), QStringLiteral("Parlora v1.0 - Random Text Mode"));
    }

private:
    static QWidget& show(const QString& name)
    {
        QWidget* window = nullptr;
        if (name == QLatin1String("frmSplash")) {
            frmSplash& splash = WindowRegistry::get<frmSplash>();
            control<QTimer>(splash, "Timer1")->stop();
            window = &splash;
        } else if (name == QLatin1String("MDIMain")) {
            window = &WindowRegistry::get<MDIMain>();
        } else if (name == QLatin1String("frmHelp")) {
            window = &WindowRegistry::get<frmHelp>();
        } else if (name == QLatin1String("frmAbout")) {
            window = &WindowRegistry::get<frmAbout>();
        } else {
            MDIMain& main = WindowRegistry::get<MDIMain>();
            main.show();
            control<QAction>(main, "mnuEventLog")->trigger();
            window = control<EventLogWindow>(main, "EventLogWindow");
        }
        window->show();
        return *window;
    }

    // The X properties of the window, as xprop prints them.
    static QString xprop(const QWidget& window, const QStringList& names)
    {
        QProcess tool;
        tool.start(QStringLiteral("xprop"), QStringList { "-id", QString::number(window.winId()) } + names);
        if (!tool.waitForFinished(10000))
            return QStringLiteral("xprop did not answer");
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
};

QTEST_MAIN(TestApplicationIcon)
#include "tst_ApplicationIcon.moc"
