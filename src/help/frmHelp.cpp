#include "frmHelp.h"

#include "AfterEvent.h"
#include "ApplicationIcon.h"
#include "ColorValue.h"
#include "IndexedName.h"
#include "ProductCaption.h"
#include "SystemColors.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int keyRole = Qt::UserRole;
constexpr int imageRole = Qt::UserRole + 1;

// Places in twips. They are kept here rather than read back from the widgets, whose pixel
// places would round them.
constexpr int treeWidth = 4000;
constexpr int titleLeft = treeWidth + 100;
constexpr int titleHeight = 375;
constexpr int lineLeft = titleLeft + 50;
constexpr int lineWidth = 6735;
constexpr int lineHeight = 315;
constexpr int pictureSize = 510;
constexpr int clientWidth = 11100;
constexpr int clientHeight = 4200;

QFont msSansSerif(qreal points)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// True when, in this font, the words before each gap that holds a picture end before it. Only a
// picture that stands on its line's words, rather than below them, needs a gap.
bool wordsClearThePictures(const QFontMetrics& metrics)
{
    constexpr int margin = 3;
    for (const HelpTopics::Topic& topic : HelpTopics::all()) {
        for (const HelpTopics::PicturePlace& place : topic.pictures) {
            const QString& caption = topic.lines.at(static_cast<std::size_t>(place.line)).caption;
            const qsizetype gap = caption.indexOf(QStringLiteral("  "));
            if (place.offset >= 0 || gap < 0)
                continue;
            if (metrics.horizontalAdvance(caption.left(gap)) + margin > Twips::toPixelsX(place.left - lineLeft))
                return false;
        }
    }
    return true;
}

// The lines' font: the largest size up to 8.25 points at which the words clear the pictures. The
// gaps are runs of spaces measured for a narrow font; in a wider one the pictures would cover words.
QFont fittingLineFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
        QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed") });
    font.setStyleHint(QFont::SansSerif);
    constexpr qreal smallest = 6.0;
    for (qreal points = 8.25; points >= smallest; points -= 0.25) {
        font.setPointSizeF(points);
        if (wordsClearThePictures(QFontMetrics(font)))
            break;
    }
    return font;
}

QLabel* hiddenPicture(QWidget* parent, const QString& name, const QString& file)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QPixmap(file));
    picture->setAlignment(Qt::AlignCenter);
    picture->resize(Twips::toPixelsX(pictureSize), Twips::toPixelsY(pictureSize));
    picture->hide();
    return picture;
}

} // namespace

frmHelp::frmHelp()
{
    Q_INIT_RESOURCE(help);
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    ApplicationIcon::applyTo(*this);
    // The help viewer stays open beside the program but never keeps it running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildControls(client);
    buildMenu();

    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { TreeView1_NodeClick(item); });
    // Choosing a node with the keyboard shows its topic as a click does.
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            TreeView1_NodeClick(item);
    });
    connect(TreeView1, &QTreeWidget::itemExpanded, this, &frmHelp::TreeView1_Expand);
    connect(TreeView1, &QTreeWidget::itemCollapsed, this, &frmHelp::TreeView1_Collapse);

    resize(Twips::toPixelsX(clientWidth), Twips::toPixelsY(clientHeight) + menuBar()->sizeHint().height());
}

void frmHelp::buildControls(QWidget* client)
{
    TreeView1 = new QTreeWidget(client);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    for (const char* key : { "closed", "open", "doc" })
        imlTree.add(QImage(QStringLiteral(":/help/%1.png").arg(QLatin1String(key))), QLatin1String(key));
    TreeView1->setIconSize(imlTree.size());

    lblTitle = new QLabel(client);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont title = msSansSerif(13.5);
    title.setBold(true);
    title.setUnderline(true);
    lblTitle->setFont(title);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTitle->setGeometry(Twips::toPixels(titleLeft, 0, lineWidth, titleHeight));

    QPalette windowColour = client->palette();
    windowColour.setColor(QPalette::Window, ColorValue::toQColor(GetSysColor(COLOR_WINDOW)));
    windowColour.setColor(QPalette::WindowText, ColorValue::toQColor(GetSysColor(COLOR_WINDOWTEXT)));
    const QFont lineFont = fittingLineFont();
    for (int i = 0; i < lineCount; ++i) {
        auto* line = new QLabel(client);
        line->setFont(lineFont);
        line->setObjectName(indexedName("lblHelp", i));
        line->setTextFormat(Qt::PlainText);
        // Lines stand closer than their height: each one's text sits at its top, clear of the next.
        line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->setAutoFillBackground(true);
        line->setPalette(windowColour);
        line->setGeometry(Twips::toPixels(lineLeft, titleHeight + 200 * (i + 1), lineWidth, lineHeight));
        line->hide();
        lblHelp[static_cast<std::size_t>(i)] = line;
    }

    // Made after the lines, so that they lie over them.
    imgRecord = hiddenPicture(client, QStringLiteral("imgRecord"), QStringLiteral(":/help/record.png"));
    imgPlay = hiddenPicture(client, QStringLiteral("imgPlay"), QStringLiteral(":/help/play.png"));
    const std::array<const char*, 3> textEditorPictures { "texted-play", "texted-record", "texted-pause" };
    for (int i = 0; i < 3; ++i) {
        const auto index = static_cast<std::size_t>(i);
        imgTextEd[index] = hiddenPicture(client, indexedName("imgTextEd", i),
            QStringLiteral(":/help/%1.png").arg(QLatin1String(textEditorPictures[index])));
    }
}

void frmHelp::buildMenu()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QStringLiteral("&Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, [this] { runAfterEvent(this, &frmHelp::mnuExit_Click); });
}

void frmHelp::Form_Load()
{
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A window not shown yet has not placed its client area.
    layout()->activate();
    TreeView1->setGeometry(0, 0, Twips::toPixelsX(treeWidth), centralWidget()->height());

    TreeView1->clear();
    const QString product = ProductCaption;
    addNode(QStringLiteral("a"), product, {}, QStringLiteral("closed"));
    addNode(
        QStringLiteral("w"), QStringLiteral("Welcome To ") + product, QStringLiteral("a"), QStringLiteral("closed"));
    addNode(QStringLiteral("m"), QStringLiteral("Modes of Operation"), QStringLiteral("w"), QStringLiteral("doc"));
    addNode(QStringLiteral("p"), QStringLiteral("Programmable Buttons"), QStringLiteral("w"), QStringLiteral("doc"));
    addNode(QStringLiteral("t"), QStringLiteral("Text Editor"), QStringLiteral("w"), QStringLiteral("doc"));
    addNode(QStringLiteral("q"), QStringLiteral("Quick Text"), QStringLiteral("w"), QStringLiteral("doc"));

    lblTitle->move(Twips::toPixelsX(titleLeft), 0);
    lblTitle->setText(HelpTopics::rootTitle());
}

void frmHelp::addNode(const QString& key, const QString& text, const QString& parentKey, const QString& image)
{
    QTreeWidgetItem* parent = parentKey.isEmpty() ? nullptr : node(parentKey);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setData(0, keyRole, key);
    item->setText(0, text);
    setNodeImage(*item, image);
}

void frmHelp::setNodeImage(QTreeWidgetItem& node, const QString& image)
{
    QPixmap picture = QPixmap::fromImage(imlTree.picture(image));
    picture.setMask(picture.createMaskFromColor(ImageList::toQColor(imlTree.MaskColor), Qt::MaskInColor));
    node.setIcon(0, QIcon(picture));
    node.setData(0, imageRole, image);
}

QTreeWidgetItem* frmHelp::node(const QString& key) const
{
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
        if (nodeKey(**it) == key)
            return *it;
    }
    return nullptr;
}

QString frmHelp::nodeKey(const QTreeWidgetItem& node)
{
    return node.data(0, keyRole).toString();
}

QString frmHelp::nodeImage(const QTreeWidgetItem& node)
{
    return node.data(0, imageRole).toString();
}

void frmHelp::TreeView1_NodeClick(QTreeWidgetItem* Node)
{
    imgRecord->hide();
    imgPlay->hide();
    for (QLabel* picture : imgTextEd)
        picture->hide();
    const int left = Twips::toPixelsX(lineLeft);
    for (QLabel* line : lblHelp) {
        line->hide();
        line->move(left, line->y());
    }

    const QString key = nodeKey(*Node);
    if (key == QLatin1String("a"))
        lblTitle->setText(HelpTopics::rootTitle());
    else if (const HelpTopics::Topic* topic = HelpTopics::find(key))
        showTopic(*topic);
}

void frmHelp::showTopic(const HelpTopics::Topic& topic)
{
    lblTitle->setText(topic.title);
    // Tops are kept in twips, so that rounding to pixels does not add up down the page.
    std::vector<int> tops;
    int top = titleHeight;
    for (std::size_t i = 0; i < topic.lines.size() && i < lblHelp.size(); ++i) {
        top += topic.lines[i].gap;
        tops.push_back(top);
        QLabel* line = lblHelp[i];
        line->move(line->x(), Twips::toPixelsY(top));
        line->setText(topic.lines[i].caption);
        line->show();
    }
    for (const HelpTopics::PicturePlace& place : topic.pictures) {
        QLabel& shown = picture(place.picture);
        shown.move(Twips::toPixelsX(place.left),
            Twips::toPixelsY(tops.at(static_cast<std::size_t>(place.line)) + place.offset));
        shown.show();
    }
}

QLabel& frmHelp::picture(HelpTopics::Picture which)
{
    switch (which) {
    case HelpTopics::Picture::Record:
        return *imgRecord;
    case HelpTopics::Picture::Play:
        return *imgPlay;
    case HelpTopics::Picture::TextEd0:
        return *imgTextEd[0];
    case HelpTopics::Picture::TextEd1:
        return *imgTextEd[1];
    case HelpTopics::Picture::TextEd2:
        break;
    }
    return *imgTextEd[2];
}

void frmHelp::TreeView1_Expand(QTreeWidgetItem* Node)
{
    setNodeImage(*Node, QStringLiteral("open"));
}

void frmHelp::TreeView1_Collapse(QTreeWidgetItem* Node)
{
    setNodeImage(*Node, QStringLiteral("closed"));
}

void frmHelp::mnuExit_Click()
{
    WindowRegistry::unload<frmHelp>();
}

// The close box unloads the window as Exit does, so the next Help starts a fresh one.
void frmHelp::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    runAfterEvent(this, &frmHelp::mnuExit_Click);
}

// The tree keeps the window's height when the user resizes it.
void frmHelp::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    TreeView1->resize(TreeView1->width(), centralWidget()->height());
}
