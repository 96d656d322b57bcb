#pragma once

#include <QString>
#include <vector>

// The fixed texts of the help viewer. Each topic has a title, a few lines and the pictures set
// into the gaps its lines leave. Tops are twips: the first line stands `gap` below the title's
// bottom, every further line `gap` below the top of the line before it.
namespace HelpTopics {

enum class Picture { Record, Play, TextEd0, TextEd1, TextEd2 };

struct Line {
    int gap;
    QString caption;
};

// A picture at a fixed left, its top `offset` from the top of line `line`.
struct PicturePlace {
    Picture picture;
    int left;
    int line;
    int offset;
};

struct Topic {
    QString key;
    QString title;
    std::vector<Line> lines;
    std::vector<PicturePlace> pictures;
};

// The title shown at load and for the root node.
QString rootTitle();
// The topic of a tree node's key; nullptr for the root and for keys without a topic.
const Topic* find(const QString& key);
const std::vector<Topic>& all();

} // namespace HelpTopics
