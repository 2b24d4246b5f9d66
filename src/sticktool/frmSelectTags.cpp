#include "sticktool/frmSelectTags.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <map>
#include <vector>

#include "core/Trap.h"
#include "core/modCommon.h"
#include "platform/Recordset.h"
#include "sticktool/StickTagTable.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmSelectTags";
constexpr int kImageRole = Qt::UserRole;
constexpr int kRowRole = Qt::UserRole + 1;  // a tag node's row (its bookmark in the table)

// A tick box: ticked, partly ticked (a group some of whose tags are ticked) or empty.
QIcon Picture(int image) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(image == frmSelectTags::PartlyTicked ? QColor(215, 215, 215) : Qt::white);
    painter.drawRect(QRectF(1.5, 1.5, 13, 13));
    if (image != frmSelectTags::Unticked) {
        painter.setPen(QPen(image == frmSelectTags::Ticked ? Qt::black : QColor(110, 110, 110), 2, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({{4, 8}, {7, 11}, {12, 4.5}}));
    }
    return QIcon(pixmap);
}

void SetImage(QTreeWidgetItem* node, int image) {
    static const QIcon pictures[] = {Picture(frmSelectTags::Ticked), Picture(frmSelectTags::PartlyTicked),
                                     Picture(frmSelectTags::Unticked)};
    node->setData(0, kImageRole, image);
    node->setIcon(0, pictures[image - 1]);
}

using WindowRules::MakeNoDefault;

}  // namespace

frmSelectTags& frmSelectTags::Instance() { return DefaultInstance<frmSelectTags>::Get(); }

void frmSelectTags::ShowModal(QWidget* owner, Recordset& table) {
    frmSelectTags& window = Instance();
    if (owner) window.setParent(owner, window.windowFlags() | Qt::Dialog);
    window.TagData(table);
    window.Form_Load();
    window.exec();
}

int frmSelectTags::ImageOf(const QTreeWidgetItem* node) { return node->data(0, kImageRole).toInt(); }

frmSelectTags::frmSelectTags() : QDialog(nullptr) {
    setModal(true);
    setWindowTitle("Select Tags");
    trvTags = new QTreeWidget(this);
    trvTags->setHeaderHidden(true);
    // Ticks change by clicking; no node is ever left highlighted.
    trvTags->setSelectionMode(QAbstractItemView::NoSelection);
    trvTags->setIconSize(QSize(16, 16));
    trvTags->installEventFilter(this);
    cmdDoneSelection = new QPushButton("Selection Done", this);
    cmdCancel = new QPushButton("Cancel", this);
    MakeNoDefault(cmdDoneSelection);
    MakeNoDefault(cmdCancel);
    DesignGeometry::Place(trvTags, {120, 120, 3960, 5400});
    DesignGeometry::Place(cmdDoneSelection, {120, 5640, 1920, 450});
    DesignGeometry::Place(cmdCancel, {2160, 5640, 1920, 450});
    setFixedSize(DesignGeometry::Pixels(4200), DesignGeometry::Pixels(6210));
    connect(trvTags, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { trvTags_NodeClick(node); });
    connect(cmdDoneSelection, &QPushButton::clicked, this, [this] { cmdDoneSelection_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

// A root node per group in the order the groups first come (groups compared without case),
// under it a node per row, every one ticked.
void frmSelectTags::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        modCommon::SetFormIcon(this);
        for (QPushButton* button : {cmdDoneSelection, cmdCancel})
            button->setText(QString::fromStdString(modCommon::Translate(button->text().toStdString())));
        trvTags->clear();
        if (!table_) return;
        std::map<QString, QTreeWidgetItem*> groups;
        std::vector<QTreeWidgetItem*> roots;
        for (long row = 0; row < table_->Rows(); ++row) {
            const QString group = QString::fromStdString(table_->At(row, StickTagTable::StickGroup).ToStringOr(""));
            QTreeWidgetItem*& root = groups[group.toUpper()];
            if (!root) {
                root = new QTreeWidgetItem(QStringList{group});
                SetImage(root, Ticked);
                roots.push_back(root);
            }
            auto* tag = new QTreeWidgetItem(
                root, QStringList{QString::fromStdString(table_->At(row, StickTagTable::HerdAndTag).ToStringOr(""))});
            tag->setData(0, kRowRole, QVariant::fromValue(static_cast<qlonglong>(table_->BookmarkAt(row))));
            SetImage(tag, Ticked);
        }
        trvTags->addTopLevelItems(QList<QTreeWidgetItem*>(roots.begin(), roots.end()));
        if (!roots.empty()) trvTags->scrollToItem(roots.front());
        MakeRoomForTexts();
    });
}

// The tree as wide as its widest group or tag, the buttons grown to their captions, and the
// window around them.
void frmSelectTags::MakeRoomForTexts() {
    using namespace DesignGeometry;
    int widest = 0;
    for (QTreeWidgetItemIterator node(trvTags); *node; ++node) {
        const int depth = (*node)->parent() ? 2 : 1;
        widest = std::max(widest, depth * trvTags->indentation() + trvTags->iconSize().width() +
                                      trvTags->fontMetrics().horizontalAdvance((*node)->text(0)) + 12);
    }
    const int tree = widest + 2 * trvTags->frameWidth() + trvTags->verticalScrollBar()->sizeHint().width();
    trvTags->resize(std::max(trvTags->width(), tree), trvTags->height());
    for (QPushButton* button : {cmdDoneSelection, cmdCancel}) GrowToText(button);
    StackColumns({{cmdDoneSelection}, {cmdCancel}}, 120);
    HoldChildren(this, 120);
    setFixedSize(size());
}

// A tag flips between ticked and unticked and its group shows whether all, some or none of
// its tags are ticked; a group flips itself and all its tags (a partly ticked one to ticked).
void frmSelectTags::trvTags_NodeClick(QTreeWidgetItem* node) {
    Trap("trvTags_NodeClick", kObject, [&] {
        if (!node) return;
        const int image = ImageOf(node) == Ticked ? Unticked : Ticked;
        SetImage(node, image);
        if (QTreeWidgetItem* group = node->parent()) {
            bool ticked = false, unticked = false;
            for (int i = 0; i < group->childCount() && !(ticked && unticked); ++i)
                (ImageOf(group->child(i)) == Ticked ? ticked : unticked) = true;
            SetImage(group, ticked && unticked ? PartlyTicked : ticked ? Ticked : Unticked);
        } else {
            for (int i = 0; i < node->childCount(); ++i) SetImage(node->child(i), image);
        }
    });
}

// The rows of the tags left unticked are deleted; only tag nodes count.
void frmSelectTags::cmdDoneSelection_Click() {
    Trap("cmdDoneSelection_Click", kObject, [&] {
        std::vector<Recordset::Bookmark> unticked;
        for (int g = 0; g < trvTags->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = trvTags->topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i)
                if (ImageOf(group->child(i)) != Ticked)
                    unticked.push_back(
                        static_cast<Recordset::Bookmark>(group->child(i)->data(0, kRowRole).toLongLong()));
        }
        if (table_ && !unticked.empty()) table_->Delete(unticked);
    });
    Unload(QDialog::Accepted);
}

void frmSelectTags::cmdCancel_Click() {
    Trap("cmdCancel_Click", kObject, [&] { DeleteAllRows(); });
    Unload(QDialog::Accepted);
}

void frmSelectTags::DeleteAllRows() {
    if (!table_ || table_->Rows() == 0) return;
    std::vector<Recordset::Bookmark> all;
    for (long row = 0; row < table_->Rows(); ++row) all.push_back(table_->BookmarkAt(row));
    table_->Delete(all);
}

// Closing other than by Done or Cancel (the close box, Escape) keeps nothing, as Cancel does.
// The dialog's close comes here too.
void frmSelectTags::reject() {
    if (unloading_) return;
    Trap("Form_QueryUnload", kObject, [&] { DeleteAllRows(); });
    Unload(QDialog::Rejected);
}

// Space on the current node clicks it, so the ticks can be set from the keyboard.
bool frmSelectTags::eventFilter(QObject* watched, QEvent* event) {
    if (watched == trvTags && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        trvTags_NodeClick(trvTags->currentItem());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmSelectTags::Unload(int result) {
    unloading_ = true;
    table_ = nullptr;
    if (DefaultInstance<frmSelectTags>::Loaded() == this) DefaultInstance<frmSelectTags>::UnloadLater();
    done(result);
}
