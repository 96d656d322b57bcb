#include "WholeTextLists.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

WholeTextLists::WholeTextLists(std::initializer_list<QComboBox*> lists)
{
    for (QComboBox* list : lists) {
        QAbstractItemModel* model = list->model();
        const auto fit = [list] { fitEntries(*list); };
        connect(model, &QAbstractItemModel::rowsInserted, list, fit);
        connect(model, &QAbstractItemModel::rowsRemoved, list, fit);
        connect(model, &QAbstractItemModel::modelReset, list, fit);
        list->installEventFilter(this);
        fitEntries(*list);
    }
}

void WholeTextLists::fitEntries(QComboBox& list)
{
    QAbstractItemView* view = list.view();
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (int row = 0; row < list.count(); ++row) {
        const QString text = list.itemText(row);
        widest = std::max(widest, metrics.horizontalAdvance(text));
        if (list.itemData(row, Qt::ToolTipRole).toString() != text)
            list.setItemData(row, text, Qt::ToolTipRole);
    }
    // Room for an entry's margins, the frame and a scroll bar beside a long list.
    const int extra = 2 * view->frameWidth() + list.style()->pixelMetric(QStyle::PM_ScrollBarExtent)
        + 4 * metrics.averageCharWidth();
    view->setMinimumWidth(std::max(list.width(), widest + extra));
}

// Asked when the tooltip is due, so that it names the entry chosen by code as well as by hand.
bool WholeTextLists::eventFilter(QObject* watched, QEvent* event)
{
    auto* list = qobject_cast<QComboBox*>(watched);
    if (!list || event->type() != QEvent::ToolTip || list->currentText().isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), list->currentText(), list);
    return true;
}
