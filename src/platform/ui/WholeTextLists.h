#pragma once

#include <QObject>
#include <initializer_list>

class QComboBox;

// Drop-down lists narrower than their entries: an open list is as wide as its longest entry
// (within the screen), and a list's tooltip, like each entry's, is its whole text.
class WholeTextLists final : public QObject {
public:
    explicit WholeTextLists(std::initializer_list<QComboBox*> lists);

    static void fitEntries(QComboBox& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
