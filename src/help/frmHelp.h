#pragma once

#include "HelpTopics.h"
#include "ImageList.h"

#include <QMainWindow>
#include <array>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// The help viewer: a modeless top-level window with a topic tree on the left and, on the right,
// the chosen topic's title and lines with pictures of the program's buttons set into them. The
// texts are fixed (HelpTopics). The window keeps the last topic shown until it is unloaded by
// File > Exit or its close box.
class frmHelp : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int lineCount = 13;

    frmHelp();

    void Form_Load();
    void TreeView1_NodeClick(QTreeWidgetItem* Node);
    void TreeView1_Expand(QTreeWidgetItem* Node);
    void TreeView1_Collapse(QTreeWidgetItem* Node);
    void mnuExit_Click();

    // The node with the key, or nullptr.
    QTreeWidgetItem* node(const QString& key) const;
    static QString nodeKey(const QTreeWidgetItem& node);
    // The key of the image the node shows.
    static QString nodeImage(const QTreeWidgetItem& node);
    // The tree's pictures, keyed "closed", "open" and "doc".
    const ImageList& treePictures() const { return imlTree; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenu();
    void addNode(const QString& key, const QString& text, const QString& parentKey, const QString& image);
    void setNodeImage(QTreeWidgetItem& node, const QString& image);
    void showTopic(const HelpTopics::Topic& topic);
    QLabel& picture(HelpTopics::Picture which);

    QTreeWidget* TreeView1;
    ImageList imlTree;
    QLabel* lblTitle;
    std::array<QLabel*, lineCount> lblHelp {};
    QLabel* imgRecord;
    QLabel* imgPlay;
    std::array<QLabel*, 3> imgTextEd {};
    QMenu* mnuFile;
    QAction* mnuExit;
};
