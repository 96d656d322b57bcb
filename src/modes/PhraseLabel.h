#pragma once

#include <QLabel>

// The label that shows a programmed phrase, word-wrapped in its fixed place. A phrase longer than
// the label can show is also its tooltip, so the whole of it can be read.
class PhraseLabel : public QLabel {
    Q_OBJECT
public:
    explicit PhraseLabel(const QString& phrase, QWidget* parent = nullptr);

    void setPhrase(const QString& phrase);
    // Whether some of the phrase lies outside the label.
    bool isClipped() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateToolTip();
};
