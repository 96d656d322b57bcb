#include "QuietControls.h"

#include "PlatformError.h"
#include "engine/api/SpObjectTokens.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>

void QuietControls::fill(QComboBox& list, const SpObjectTokens& tokens)
{
    const QSignalBlocker blocker(list);
    for (const SpObjectToken& token : tokens)
        list.addItem(token.GetDescription(0));
    list.setCurrentIndex(-1);
}

void QuietControls::fillUnusable(QComboBox& list, const QString& entry)
{
    const QSignalBlocker blocker(list);
    list.addItem(entry);
    list.setEnabled(false);
    list.setCurrentIndex(-1);
}

void QuietControls::setValue(QSlider& slider, int value)
{
    const QSignalBlocker blocker(slider);
    slider.setValue(value);
}

void QuietControls::select(QComboBox& list, int index)
{
    if (index < 0 || index >= list.count())
        throw PlatformError(QStringLiteral("Invalid property value: %1 has no entry at position %2.")
                                .arg(list.objectName())
                                .arg(index));
    const QSignalBlocker blocker(list);
    list.setCurrentIndex(index);
}
