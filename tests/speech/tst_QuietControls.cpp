#include "PlatformError.h"
#include "QuietControls.h"
#include "engine/api/SpObjectTokens.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

// Changes by code to the console's lists and sliders: none of them signals as the user's would.
class tst_QuietControls : public QObject {
    Q_OBJECT
private slots:
    void fillAddsDescriptionsSelectingNone()
    {
        QComboBox list;
        list.addItem(QStringLiteral("kept"));
        QSignalSpy changed(&list, &QComboBox::currentIndexChanged);
        QuietControls::fill(list,
            SpObjectTokens(
                std::vector<SpObjectToken> { SpObjectToken(QStringLiteral("a"), QStringLiteral("Alpha voice")),
                    SpObjectToken(QStringLiteral("b"), QStringLiteral("Beta voice")) }));
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.itemText(1), QStringLiteral("Alpha voice"));
        QCOMPARE(list.itemText(2), QStringLiteral("Beta voice"));
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(changed.size(), 0);
    }

    void unusableListSaysWhy()
    {
        QComboBox list;
        QSignalSpy changed(&list, &QComboBox::currentIndexChanged);
        QuietControls::fillUnusable(list, QStringLiteral("No audio ouput object available"));
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.itemText(0), QStringLiteral("No audio ouput object available"));
        QVERIFY(!list.isEnabled());
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(changed.size(), 0);
    }

    void sliderValueWithoutSignal()
    {
        QSlider slider;
        slider.setRange(-10, 10);
        QSignalSpy moved(&slider, &QSlider::valueChanged);
        QuietControls::setValue(slider, -4);
        QCOMPARE(slider.value(), -4);
        QCOMPARE(moved.size(), 0);
    }

    void selectWithinTheList()
    {
        QComboBox list;
        list.addItems({ QStringLiteral("one"), QStringLiteral("two") });
        QSignalSpy changed(&list, &QComboBox::currentIndexChanged);
        QuietControls::select(list, 1);
        QuietControls::select(list, 1);
        QCOMPARE(list.currentIndex(), 1);
        QCOMPARE(changed.size(), 0);
    }

    void selectOutsideIsRefused_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("before the first") << -1;
        QTest::newRow("past the last") << 2;
    }
    void selectOutsideIsRefused()
    {
        QFETCH(int, index);
        QComboBox list;
        list.setObjectName(QStringLiteral("FormatCB"));
        list.addItems({ QStringLiteral("one"), QStringLiteral("two") });
        list.setCurrentIndex(0);
        try {
            QuietControls::select(list, index);
            QFAIL("the index was taken");
        } catch (const PlatformError& failure) {
            QCOMPARE(failure.description(),
                QStringLiteral("Invalid property value: FormatCB has no entry at position %1.").arg(index));
        }
        QCOMPARE(list.currentIndex(), 0);
    }
};

QTEST_MAIN(tst_QuietControls)
#include "tst_QuietControls.moc"
