#pragma once

#include <QObject>
#include <QPointer>
#include <QTextDocument>
#include <optional>
#include <vector>

// Positions in a document as it stood when the map was made, carried to where the edits made
// since have moved them: text inserted or removed before a position moves it, text removed around
// it removes it. The map only watches the document; it changes nothing in it, and a document that
// is gone leaves no span.
class DocumentEditMap : public QObject {
    Q_OBJECT
public:
    explicit DocumentEditMap(QTextDocument& document);

    // The span [start, end) of the old text as it stands now; nothing when its text is gone.
    struct Span {
        int start;
        int end;
    };
    std::optional<Span> span(int start, int end) const;
    // How many edits were made since the map was made.
    std::size_t edits() const { return m_edits.size(); }

private:
    struct Edit {
        int position;
        int removed;
        int added;
    };
    void record(int position, int removed, int added);
    int mapped(int position, bool stickToEnd) const;

    QPointer<QTextDocument> m_document;
    std::vector<Edit> m_edits;
};
