#include "sticktool/frmTags.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

#include "core/TranslationTexts.h"
#include "core/Trap.h"
#include "core/modCommon.h"
#include "devices/modStickReader.h"
#include "platform/Prompts.h"
#include "platform/RecordsetModel.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "widgets/ColumnFit.h"
#include "widgets/DesignGeometry.h"
#include "widgets/RecordSelectors.h"
#include "widgets/TextWindow.h"
#include "widgets/WindowRules.h"
#include "widgets/WrappingButton.h"

namespace {

const char* const kObject = "frmTags";
constexpr int kKeyBackspace = 8, kKeyDelete = 46;
constexpr int kGridGap = 30;  // twips between the grid and the window's bottom edge

using modCommon::Translate;
QString QTranslate(const std::string& text) { return QString::fromStdString(Translate(text)); }

// ---- Pictures ---------------------------------------------------------------------------

QPixmap Canvas(QPainter& painter, QPixmap& pixmap, const QColor& colour) {
    pixmap.fill(Qt::transparent);
    painter.begin(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return pixmap;
}

// The pictures of the list: keyed as the window has always named them.
const QPixmap& Picture(const std::string& key) {
    static const QPixmap tick = [] {
        QPixmap pixmap(16, 16);
        QPainter painter;
        Canvas(painter, pixmap, QColor(0, 140, 0));
        painter.drawPolyline(QPolygonF({{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}}));
        painter.end();
        return pixmap;
    }();
    static const QPixmap cross = [] {
        QPixmap pixmap(16, 16);
        QPainter painter;
        Canvas(painter, pixmap, QColor(200, 0, 0));
        painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        painter.end();
        return pixmap;
    }();
    if (key == "TickTransparent") return tick;
    return key == "TickTransparent" ? tick : cross;
}

// Drawing of a window held back while the list changes in bulk, and let go however the
// change ends.
class DrawingSuspended {
public:
    explicit DrawingSuspended(QWidget* window) : window_(window) { window_->setUpdatesEnabled(false); }
    ~DrawingSuspended() { window_->setUpdatesEnabled(true); }

private:
    QWidget* window_;
};

}  // namespace

// ---- Window -------------------------------------------------------------------------------

frmTags& frmTags::Instance() { return DefaultInstance<frmTags>::Get(); }

void frmTags::ShowModal(QWidget* owner) {
    frmTags& window = Instance();
    if (owner) window.setParent(owner, window.windowFlags() | Qt::Dialog);
    window.exec();
}

frmTags::frmTags() : QDialog(nullptr), model_(new RecordsetModel(this)) {
    setModal(true);
    grdTags = new QTableView(this);
    // Rows are chosen on their grey boxes: a click selects that row alone, Shift and Ctrl as
    // usual.
    auto* selectors = new RecordSelectors(*grdTags);
    selectors->setSectionsClickable(true);
    selectors->setDefaultSectionSize(20);
    grdTags->setVerticalHeader(selectors);
    // A translated caption may be longer than the English one the size was made for.
    cmdGetTagBucket = new WrappingButton("Get Tags from File on PC", this);
    cmdMakeSelectedActive = new WrappingButton("Select Tags to Send to Stick", this);
    cmdMakeSelectedInactive = new WrappingButton("Deselect Tags from the List", this);
    cmdDelete = new WrappingButton("Delete Selected Tags from the List", this);
    cmdHelp = new WrappingButton("Help", this);
    cmdExit = new WrappingButton("Save && Exit", this);
    lblTickNumber = new QLabel(this);
    lblCrossNumber = new QLabel(this);
    lblSelected = new QLabel("Set at runtime", this);
    imgTick = new QLabel(this);
    imgCross = new QLabel(this);
    LayOut();
    connect(cmdGetTagBucket, &QPushButton::clicked, this, [this] { cmdGetTagBucket_Click(); });
    connect(cmdMakeSelectedActive, &QPushButton::clicked, this, [this] { cmdMakeSelectedActive_Click(); });
    connect(cmdMakeSelectedInactive, &QPushButton::clicked, this, [this] { cmdMakeSelectedInactive_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    Form_Load();
}

// The design's places, in twips.
void frmTags::LayOut() {
    using DesignGeometry::Place;
    resize(DesignGeometry::Pixels(7050), DesignGeometry::Pixels(6450));
    Place(grdTags, {120, 120, 3480, 6450 - 120 - kGridGap});
    int top = 120;
    for (QPushButton* button :
         {cmdGetTagBucket, cmdMakeSelectedActive, cmdMakeSelectedInactive, cmdDelete, cmdHelp, cmdExit}) {
        Place(button, {3750, top, 3180, 510});
        WindowRules::MakeNoDefault(button);
        top += 630;
    }
    Place(imgTick, {3780, top + 210, 240, 240});
    Place(lblTickNumber, {4140, top + 210, 2700, 240});
    Place(imgCross, {3780, top + 570, 240, 240});
    Place(lblCrossNumber, {4140, top + 570, 2700, 240});
    Place(lblSelected, {3780, top + 930, 3150, 240});
}

// Once translated and filled: the grid as wide as its columns, the buttons grown to their
// captions one under the other beside it, and the window around them.
void frmTags::MakeRoomForTexts() {
    using namespace DesignGeometry;
    const QHeaderView* header = grdTags->horizontalHeader();
    const int columns = header->length() + grdTags->verticalHeader()->width() + 2 * grdTags->frameWidth() +
                        grdTags->verticalScrollBar()->sizeHint().width();
    grdTags->resize(std::max(grdTags->width(), columns), grdTags->height());
    for (QWidget* control : findChildren<QWidget*>()) GrowToText(control);
    StackColumns({{grdTags},
                  {cmdGetTagBucket, cmdMakeSelectedActive, cmdMakeSelectedInactive, cmdDelete, cmdHelp, cmdExit,
                   imgTick, lblTickNumber, imgCross, lblCrossNumber, lblSelected}},
                 150);
    StackRows({{cmdGetTagBucket},
               {cmdMakeSelectedActive},
               {cmdMakeSelectedInactive},
               {cmdDelete},
               {cmdHelp},
               {cmdExit},
               {imgTick, lblTickNumber},
               {imgCross, lblCrossNumber},
               {lblSelected}},
              120);
    HoldChildren(this, 120, true);
}

void frmTags::Form_Load() {
    modCommon::SetFormIcon(this);
    setWindowTitle(QTranslate("Eartag Selection"));
    for (QPushButton* button : findChildren<QPushButton*>()) button->setText(QTranslate(button->text().toStdString()));
    lblSelected->setText(QTranslate(lblSelected->text().toStdString()));
    imgTick->setPixmap(Picture("TickTransparent"));
    imgCross->setPixmap(Picture("CrossTransparent"));
    list_ = EartagList(Translate("(New)"));
    InitialiseData();
    model_->SetRecordset(list_.Table());
    SetUpGrid();
    MakeRoomForTexts();
    loadWidth_ = width();
    loadHeight_ = height();
    setFixedWidth(loadWidth_);
    setMinimumHeight(loadHeight_);
    if (loadFailed_)
        Prompts::MsgBox(Translate("The eartag list could not be read in full, so the file will be left as it is."),
                        Prompts::Exclamation, Translate("Eartag Selection"));
}

void frmTags::InitialiseData() {
    loadFailed_ = !Trap("InitialiseData", kObject, [&] { list_.ReadFile(modStickReader::GetEartagFileSpec()); });
    list_.SortByKey();
}

void frmTags::SetUpGrid() {
    grdTags->setModel(model_);
    fit_ = new ColumnFit(*grdTags);
    grdTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdTags->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdTags->setTabKeyNavigation(false);  // the list is not edited in place: Tab goes on to the buttons
    grdTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTags->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QString sendHeading = QTranslate("Send to Stick?");
    grdTags->setWordWrap(false);
    model_->setHeaderData(Eartag, Qt::Horizontal, QTranslate("Eartag"));
    model_->setHeaderData(Active, Qt::Horizontal, sendHeading);
    model_->SetShown(Active, Qt::DisplayRole, [this](const Recordset& rows, long row) -> QVariant {
        if (list_.MarkOf(rows, row) != EartagList::Plain) return QString();
        return QString::fromStdString(rows.At(row, Active).ToStringOr(""));
    });
    model_->SetShown(Active, Qt::DecorationRole, [this](const Recordset& rows, long row) -> QVariant {
        const EartagList::Mark mark = list_.MarkOf(rows, row);
        if (mark == EartagList::Plain) return {};
        return Picture(mark == EartagList::Tick ? "TickTransparent" : "CrossTransparent");
    });
    model_->SetShown(Active, Qt::TextAlignmentRole,
                     [](const Recordset&, long) -> QVariant { return int(Qt::AlignCenter); });
    connect(grdTags->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { grdTags_HeadClick(column); });
    connect(grdTags->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { grdTags_SelChange(); });
    connect(grdTags->selectionModel(), &QItemSelectionModel::currentRowChanged, grdTags->verticalHeader()->viewport(),
            qOverload<>(&QWidget::update));
    grdTags->viewport()->installEventFilter(this);
    grdTags->installEventFilter(this);
    FillGrid();
}

// The grid shows the Eartag and Active columns of the list; a reset of the grid forgets how
// its columns were set, so this follows every one.
void frmTags::FillGrid() {
    for (int column : {HerdId, TagNumber, EidNumber, Combined, SortField}) grdTags->setColumnHidden(column, true);
    grdTags->setColumnWidth(Eartag, DesignGeometry::Pixels(1800));
    grdTags->setColumnWidth(Active, DesignGeometry::Pixels(750));
    for (int column : {Eartag, Active}) fit_->Fit(column);
    DoGridCaption();
    SetButtonState();
}

void frmTags::DoGridCaption() {
    Trap("DoGridCaption", kObject, [&] {
        const EartagList::Counts counts = list_.CountMarks();
        lblTickNumber->setText(QString::number(counts.ticks));
        lblCrossNumber->setText(QString::number(counts.crosses));
        long selected = grdTags->selectionModel() ? grdTags->selectionModel()->selectedRows().size() : 0;
        lblSelected->setText(QString::fromStdString(Translate("Selected") + ": " + std::to_string(selected)));
    });
}

void frmTags::SetButtonState() {
    bool any = grdTags->selectionModel() && grdTags->selectionModel()->hasSelection();
    for (QPushButton* button : {cmdMakeSelectedActive, cmdMakeSelectedInactive, cmdDelete}) button->setEnabled(any);
}

void frmTags::grdTags_SelChange() {
    SetButtonState();
    DoGridCaption();
}

std::vector<Recordset::Bookmark> frmTags::TakeSelection() {
    std::vector<Recordset::Bookmark> marks;
    for (const QModelIndex& index : grdTags->selectionModel()->selectedRows())
        marks.push_back(model_->BookmarkAt(index.row()));
    grdTags->clearSelection();
    return marks;
}

void frmTags::ShowList() {
    const int scroll = grdTags->verticalScrollBar()->value();
    model_->SetRecordset(list_.Table());
    grdTags->doItemsLayout();
    grdTags->verticalScrollBar()->setValue(scroll);
}

// ---- Actions ------------------------------------------------------------------------------

void frmTags::MakeSelectedActive(bool blnActive) {
    DrawingSuspended drawing(this);
    Trap("MakeSelectedActive", kObject, [&] {
        list_.SetActive(TakeSelection(), blnActive);
        ShowList();
        FillGrid();
    });
}

void frmTags::cmdDelete_Click() {
    Trap("cmdDelete_Click", kObject, [&] {
        const long n = grdTags->selectionModel()->selectedRows().size();
        const std::string text1 = Translate(
            "WARNING - You can't recover eartags that have been removed (except by reloading\r\n"
            "the tag bucket file containing the eartags).  Are you sure you want to remove\r\n"
            "the");
        const std::string text2 = Translate(std::string("selected eartag") + (n == 1 ? "" : "s") + "?");
        const std::string question = text1 + " " + (n == 1 ? "" : std::to_string(n)) + " " + text2;
        if (Prompts::MsgBox(question, Prompts::YesNo + Prompts::Question + Prompts::DefaultButton2,
                            Translate("Confirm Eartag Deletion")) != Prompts::Yes)
            return;
        DrawingSuspended drawing(this);
        list_.Delete(TakeSelection());
        ShowList();
        FillGrid();
    });
}

void frmTags::Form_KeyDown(int keyCode) {
    if ((keyCode == kKeyDelete || keyCode == kKeyBackspace) && grdTags->selectionModel()->hasSelection())
        cmdDelete_Click();
}

void frmTags::grdTags_HeadClick(int column) {
    Trap("grdTags_HeadClick", kObject, [&] {
        list_.SortByHeading(column);
        ShowList();
        FillGrid();
    });
}

void frmTags::cmdHelp_Click() {
    Trap("cmdHelp_Click", kObject, [&] {
        TextWindow::Open(Translate("Help"), this, QSize(13500, 7125),  // 900 x 475 pixels
                         Translate(std::string(TranslationTexts::EartagListHelp)));
    });
}

void frmTags::cmdExit_Click() { close(); }

// ---- Tag-bucket files ---------------------------------------------------------------------

void frmTags::cmdGetTagBucket_Click() {
    Prompts::FileDialog dialog;
    dialog.filter = "Tag Bucket (*.txt)|*.txt";
    dialog.filterIndex = 1;
    dialog.fileMustExist = true;
    if (!Prompts::GetOpenFileName(dialog)) return;
    DrawingSuspended drawing(this);
    setEnabled(false);
    bool read = Trap("cmdGetTagBucket_Click", kObject, [&] {
        const EartagList::BucketImport import = list_.AddTagBucket(dialog.fileName);
        if (!import.known)
            Prompts::MsgBox(Translate("Unrecognised file format"), Prompts::OKOnly,
                            Translate("Unrecognised file format"));
        else if (import.badLine > 0)
            Prompts::MsgBox(Translate("Tag file format error at line") + " " + std::to_string(import.badLine) + " " +
                                Translate("in file") + " " + dialog.fileName + CRLF +
                                Translate("The remainder of the tag import has been abandoned."),
                            Prompts::OKOnly, Translate("File Format Error"));
    });
    ShowList();
    if (read) SaveData();
    FillGrid();
    setEnabled(true);
}

// ---- Saving and closing -------------------------------------------------------------------

// The file is written whole beside the old one and then takes its name, so a failure leaves
// the old list. A list that was not read in full is never written over the file.
void frmTags::SaveData() {
    Trap("SaveData", kObject, [&] {
        if (loadFailed_) return;
        TextFile::Replace(modStickReader::GetEartagFileSpec(), list_.FileText());
    });
}

void frmTags::reject() { Form_Unload(); }

void frmTags::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (!unloading_) Form_Unload();
}

void frmTags::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    SaveData();
    model_->SetRecordset(Recordset());
    list_ = EartagList();
    if (DefaultInstance<frmTags>::Loaded() == this) DefaultInstance<frmTags>::UnloadLater();
    done(QDialog::Rejected);
}

void frmTags::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    int gridHeight = height() - grdTags->y() - DesignGeometry::Pixels(kGridGap);
    if (gridHeight > 0) grdTags->resize(grdTags->width(), gridHeight);
}

void frmTags::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        Form_KeyDown(event->key() == Qt::Key_Delete ? kKeyDelete : kKeyBackspace);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmTags::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == grdTags) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    // A click among the tags clears the selection and moves the current row there; rows are
    // chosen by their grey boxes.
    if (watched == grdTags->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                QModelIndex index = grdTags->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
                grdTags->clearSelection();
                if (index.isValid()) grdTags->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
                return true;
            }
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: return true;
            default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
