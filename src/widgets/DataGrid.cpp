#include "widgets/DataGrid.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "widgets/ColumnFit.h"
#include "widgets/RecordSelectors.h"
#include "widgets/WindowRules.h"

// ---- The table -------------------------------------------------------------------------------

class DataGrid::Table : public QTableView {
public:
    explicit Table(DataGrid& grid) : QTableView(&grid), grid_(grid) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QTableView::mouseReleaseEvent(event);
        emit grid_.MouseUp(event->button(), event->modifiers(), event->globalPosition().toPoint());
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (grid_.KeyPressed(*event)) return;
        const long from = grid_.CurrentRow();
        QTableView::keyPressEvent(event);
        grid_.MovedByKeys(*event, from);
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        QTableView::currentChanged(current, previous);
        verticalHeader()->viewport()->update();  // the current row's marker moves
    }

private:
    DataGrid& grid_;
};

// Pressing a record selector selects; releasing reports the mouse-up.
class DataGrid::Selectors : public RecordSelectors {
public:
    explicit Selectors(DataGrid& grid) : RecordSelectors(*grid.view_), grid_(grid) {
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const int row = logicalIndexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && row >= 0) grid_.SelectorPressed(row, event->modifiers());
    }
    void mouseMoveEvent(QMouseEvent*) override {}
    void mouseReleaseEvent(QMouseEvent* event) override {
        emit grid_.MouseUp(event->button(), event->modifiers(), event->globalPosition().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {}

private:
    DataGrid& grid_;
};

// Editors: a drop-down list for a column with value items, whose pick is stored at once; a
// line of text for any other. What the editor gives passes BeforeColUpdate first.
class DataGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(DataGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

    // A picture without text is drawn in the part of its cell in sight: a view scrolled sideways
    // by a little (to show the last column whole) keeps it.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem shown = option;
        if (!index.data(Qt::DecorationRole).isNull() && index.data(Qt::DisplayRole).toString().isEmpty())
            shown.rect &= grid_.view_->viewport()->rect();
        QStyledItemDelegate::paint(painter, shown.rect.isEmpty() ? option : shown, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto& items = grid_.ValueItems(index.column());
        if (items.empty()) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* combo = new QComboBox(parent);
        for (const ValueItem& item : items) combo->addItem(item.text);
        connect(combo, &QComboBox::activated, this, [this, combo] {
            auto* self = const_cast<Delegate*>(this);
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (!combo) return QStyledItemDelegate::setEditorData(editor, index);
        const auto& items = grid_.ValueItems(index.column());
        const Value& stored = grid_.Rows().At(index.row(), index.column());
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].value == stored) combo->setCurrentIndex(static_cast<int>(i));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        QVariant value;
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            const auto& items = grid_.ValueItems(index.column());
            const int picked = combo->currentIndex();
            if (picked < 0 || picked >= static_cast<int>(items.size())) return;
            value = RecordsetModel::ToVariant(items[picked].value);
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            value = line->text();
        } else {
            value = editor->metaObject()->userProperty().read(editor);
        }
        if (grid_.BeforeColUpdate && !grid_.BeforeColUpdate(index.column(), value)) return;
        model->setData(index, value, Qt::EditRole);
    }

private:
    DataGrid& grid_;
};

// ---- The grid ----------------------------------------------------------------------------------

DataGrid::DataGrid(QWidget* parent)
    : QFrame(parent), model_(new RecordsetModel(this)), view_(new Table(*this)), caption_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Raised);
    caption_->setAutoFillBackground(true);
    caption_->setBackgroundRole(QPalette::Dark);
    caption_->setForegroundRole(QPalette::BrightText);
    caption_->setContentsMargins(2, 2, 2, 2);
    caption_->hide();
    layout->addWidget(caption_);
    layout->addWidget(view_);

    selectors_ = new Selectors(*this);
    view_->setVerticalHeader(selectors_);
    ShowSelectionOnSelectors();
    view_->setModel(model_);
    view_->setItemDelegate(new Delegate(*this));
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    // Tab goes on to the window's next control, so that what the keyboard chose here can be acted on.
    view_->setTabKeyNavigation(false);
    view_->setWordWrap(false);
    view_->horizontalHeader()->setHighlightSections(false);
    const int rowHeight = view_->fontMetrics().height() + 4;
    selectors_->setDefaultSectionSize(rowHeight);
    selectors_->setMinimumSectionSize(rowHeight);

    model_->SetShown(-1, Qt::BackgroundRole, [this](const Recordset& rows, long row) {
        return IsSelected(rows.BookmarkAt(row)) ? QVariant(selectedBack_) : QVariant();
    });
    model_->SetShown(-1, Qt::ForegroundRole, [this](const Recordset& rows, long row) {
        return IsSelected(rows.BookmarkAt(row)) ? QVariant(selectedFore_) : QVariant();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { PutLayoutBack(); });
    fit_ = new ColumnFit(*view_);  // after the held layout is back
}

DataGrid::~DataGrid() = default;

void DataGrid::SetRecordset(Recordset rows) {
    selected_.clear();
    selectedSet_.clear();
    anchorRow_ = -1;
    model_->SetRecordset(std::move(rows));
}

void DataGrid::SetCaption(const QString& caption) {
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
}

QString DataGrid::Caption() const { return caption_->text(); }

// ---- Columns ---------------------------------------------------------------------------------

int DataGrid::ColumnOf(const std::string& fieldName) const {
    return Rows().IsOpen() ? Rows().FieldIndex(fieldName) : -1;
}

void DataGrid::MoveColumn(int column, int place) {
    QHeaderView* header = view_->horizontalHeader();
    header->moveSection(header->visualIndex(column), place);
}

void DataGrid::HoldLayout() {
    const QHeaderView* header = view_->horizontalHeader();
    held_.clear();
    for (int column = 0; column < header->count(); ++column)
        held_.push_back({header->sectionSize(column), header->isSectionHidden(column), header->visualIndex(column)});
}

void DataGrid::PutLayoutBack() {
    QHeaderView* header = view_->horizontalHeader();
    const int columns = std::min(header->count(), static_cast<int>(held_.size()));
    std::vector<int> byPlace(columns);
    for (int column = 0; column < columns; ++column) {
        header->setSectionHidden(column, held_[column].hidden);
        if (held_[column].width > 0) header->resizeSection(column, held_[column].width);
        byPlace[column] = column;
    }
    std::sort(byPlace.begin(), byPlace.end(), [&](int a, int b) { return held_[a].place < held_[b].place; });
    for (int place = 0; place < columns; ++place) header->moveSection(header->visualIndex(byPlace[place]), place);
}

void DataGrid::FitToValues(int column, const QString& widest) { fit_->Fit(column, widest); }

int DataGrid::ColumnsWidth() {
    // From the parts' own sizes, not the viewport's: a grid not yet laid out has none.
    const QHeaderView* selectors = view_->verticalHeader();
    int width = 2 * (frameWidth() + view_->frameWidth()) + view_->verticalScrollBar()->sizeHint().width() +
                (selectors->isHidden() ? 0 : selectors->sizeHint().width());
    const QHeaderView* header = view_->horizontalHeader();
    for (int i = 0; i < header->count(); ++i)
        if (!header->isSectionHidden(i)) width += header->sectionSize(i);
    return width;
}

int DataGrid::LeastHeight() {
    const int caption = caption_->isVisibleTo(this) ? caption_->sizeHint().height() : 0;
    return caption + view_->horizontalHeader()->sizeHint().height() + view_->verticalHeader()->defaultSectionSize() +
           2 * (frameWidth() + view_->frameWidth());
}

void DataGrid::ShowUserDates(int column, bool withTime) {
    auto date = [column, withTime](const Recordset& rows, long row) -> QVariant {
        const std::string stored = rows.At(row, column).ToStringOr("");
        auto when = DateTime::FromText(stored);
        if (!when) return withTime ? QVariant(QString::fromStdString(stored)) : QVariant();
        return QString::fromStdString(withTime ? when->ToGeneralText() : when->ToUserText());
    };
    model_->SetShown(column, Qt::DisplayRole, date);
    model_->SetShown(column, Qt::EditRole, date);
    // Dates show in one form: the column holds the widest of them.
    const DateTime widest{2000, 12, 28, 20, 58, 58};
    FitToValues(column, QString::fromStdString(withTime ? widest.ToGeneralText() : widest.ToUserText()));
}

QVariant DataGrid::ShownValue(int column, const Value& value) const {
    for (const ValueItem& item : valueItems_[column])
        if (item.value == value) return item.text;
    return RecordsetModel::ToVariant(value);
}

void DataGrid::SetValueItems(int column, std::vector<ValueItem> items) {
    if (column < 0) return;
    if (static_cast<std::size_t>(column) >= valueItems_.size()) valueItems_.resize(column + 1);
    valueItems_[column] = std::move(items);
    RecordsetModel::Shown shown;
    if (!valueItems_[column].empty())
        shown = [this, column](const Recordset& rows, long row) { return ShownValue(column, rows.At(row, column)); };
    model_->SetShown(column, Qt::DisplayRole, std::move(shown));
}

const std::vector<DataGrid::ValueItem>& DataGrid::ValueItems(int column) const {
    static const std::vector<ValueItem> none;
    return column >= 0 && static_cast<std::size_t>(column) < valueItems_.size() ? valueItems_[column] : none;
}

// ---- Selection -------------------------------------------------------------------------------

void DataGrid::EditAgain(const QString& text) {
    // By place: the cell's index does not outlive the model's news of the closing edit.
    const int row = view_->currentIndex().row(), column = view_->currentIndex().column();
    QTimer::singleShot(0, this, [this, row, column, text] {
        const QModelIndex cell = model_->index(row, column);
        if (!cell.isValid()) return;
        view_->setCurrentIndex(cell);
        view_->edit(cell);
        if (auto* line = qobject_cast<QLineEdit*>(view_->indexWidget(cell))) {
            line->setText(text);
            line->setFocus();
            line->selectAll();  // what the keeper types next replaces it
        }
    });
}

void DataGrid::SelAdd(Bookmark bookmark) {
    if (!selectedSet_.insert(bookmark).second) return;
    selected_.push_back(bookmark);
    SelectionShown();
}

void DataGrid::SelRemove(Bookmark bookmark) {
    if (!selectedSet_.erase(bookmark)) return;
    selected_.erase(std::find(selected_.begin(), selected_.end(), bookmark));
    SelectionShown();
}

void DataGrid::SelClear() {
    selected_.clear();
    selectedSet_.clear();
    SelectionShown();
}

void DataGrid::SetSelectionColours(const QColor& back, const QColor& fore) {
    selectedBack_ = back;
    selectedFore_ = fore;
    ShowSelectionOnSelectors();
    SelectionShown();
}

void DataGrid::ShowSelectionOnSelectors() {
    selectors_->SetSelected([this](int row) { return IsSelected(Rows().BookmarkAt(row)); }, selectedBack_);
}

// A run of changes (selecting 50,000 rows one by one) asks for one repaint.
void DataGrid::SelectionShown() {
    if (repaintAsked_) return;
    repaintAsked_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            repaintAsked_ = false;
            view_->viewport()->update();
            view_->verticalHeader()->viewport()->update();
        },
        Qt::QueuedConnection);
}

void DataGrid::SelectorPressed(long row, Qt::KeyboardModifiers modifiers) {
    const Bookmark bookmark = Rows().BookmarkAt(row);
    if (modifiers & Qt::ShiftModifier && anchorRow_ >= 0 && anchorRow_ < Rows().Rows()) {
        SelClear();
        const long step = row >= anchorRow_ ? 1 : -1;
        for (long r = anchorRow_;; r += step) {
            SelAdd(Rows().BookmarkAt(r));
            if (r == row) break;
        }
    } else if (modifiers & Qt::ControlModifier) {
        if (IsSelected(bookmark)) SelRemove(bookmark);
        else SelAdd(bookmark);
        anchorRow_ = row;
    } else {
        SelClear();
        SelAdd(bookmark);
        anchorRow_ = row;
    }
    SetCurrentRow(row);
}

bool DataGrid::KeyPressed(const QKeyEvent& key) {
    if (WindowRules::IsMenuKey(key)) {
        const QRect cell = view_->visualRect(view_->currentIndex());
        const Qt::KeyboardModifiers held =
            key.key() == Qt::Key_Menu ? key.modifiers() : key.modifiers() & ~Qt::ShiftModifier;
        emit MenuKey(held, view_->viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0)));
        return true;
    }
    if (key.key() != Qt::Key_Space) return false;
    const Qt::KeyboardModifiers keys = key.modifiers() & ~Qt::KeypadModifier;
    if (keys != Qt::NoModifier && keys != Qt::ShiftModifier && keys != Qt::ControlModifier) return false;
    if (CurrentRow() < 0) return true;
    SelectorPressed(CurrentRow(), keys == Qt::ControlModifier ? Qt::ControlModifier : Qt::NoModifier);
    emit SelectedByKeys();
    return true;
}

void DataGrid::MovedByKeys(const QKeyEvent& key, long from) {
    static const int moves[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const long to = CurrentRow();
    if (!(key.modifiers() & Qt::ShiftModifier) || to < 0 || to == from ||
        std::find(std::begin(moves), std::end(moves), key.key()) == std::end(moves))
        return;
    if (anchorRow_ < 0 || anchorRow_ >= Rows().Rows()) anchorRow_ = from >= 0 ? from : to;
    SelectorPressed(to, Qt::ShiftModifier);
    emit SelectedByKeys();
}

long DataGrid::CurrentRow() const {
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::SetCurrentRow(long row) {
    if (row < 0 || row >= model_->rowCount()) return;
    int column =
        view_->currentIndex().isValid() ? view_->currentIndex().column() : view_->horizontalHeader()->logicalIndexAt(0);
    if (column < 0) column = 0;
    view_->setCurrentIndex(model_->index(static_cast<int>(row), column));
}

void DataGrid::PostMsg(int message) {
    QMetaObject::invokeMethod(
        this, [this, message] { emit PostEvent(message); }, Qt::QueuedConnection);
}

QTableView& DataGrid::View() { return *view_; }

// ---- Output: the grid on paper and as an HTML file ----------------------------------------------

namespace {

// The logical columns that show, left to right.
std::vector<int> ShownColumns(const QHeaderView& header) {
    std::vector<int> columns;
    for (int place = 0; place < header.count(); ++place) {
        const int column = header.logicalIndex(place);
        if (!header.isSectionHidden(column)) columns.push_back(column);
    }
    return columns;
}

QString Cell(const char* tag, const QString& text, int width = 0) {
    const QString open = width > 0 ? QStringLiteral("<%1 width=\"%2\">").arg(QLatin1String(tag)).arg(width)
                                   : QStringLiteral("<%1>").arg(QLatin1String(tag));
    return open + text.toHtmlEscaped() + QStringLiteral("</%1>").arg(QLatin1String(tag));
}

}  // namespace

std::string DataGrid::HtmlTable(bool selectedRows, const QString& title) const {
    model_->FetchAll();  // on paper and in the file, every row of a list read in pages
    const QHeaderView& header = *view_->horizontalHeader();
    const std::vector<int> columns = ShownColumns(header);
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n</head>\n<body>\n"
                       "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<thead>\n<tr>")
                       .arg(title.toHtmlEscaped());
    for (int column : columns)
        html += Cell("th", model_->headerData(column, Qt::Horizontal).toString(), header.sectionSize(column));
    html += QStringLiteral("</tr>\n</thead>\n<tbody>\n");
    for (long row = 0; row < Rows().Rows(); ++row) {
        if (selectedRows && !IsSelected(Rows().BookmarkAt(row))) continue;
        html += QStringLiteral("<tr>");
        for (int column : columns)
            html += Cell("td", model_->data(model_->index(static_cast<int>(row), column)).toString());
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n");
    return html.toStdString();
}

void DataGrid::ExportHtml(const std::string& path, bool selectedRows) const {
    TextFile::Replace(path, HtmlTable(selectedRows));
}

void DataGrid::PrintTo(QPrinter& printer, const QString& header, bool selectedRows) const {
    QTextDocument table;
    table.setDefaultFont(font());
    table.setHtml(QString::fromStdString(HtmlTable(selectedRows)));
    QPainter painter(&printer);
    if (!painter.isActive()) return;
    // The page is laid out in the screen's units and scaled to the printer's.
    const double scale = printer.resolution() / static_cast<double>(logicalDpiY());
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QSizeF size(page.width() / scale, page.height() / scale);
    // The header's size in the screen's pixels, as the table's, so that both scale alike.
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(QFontInfo(font()).pixelSize() + 2);
    const double headerHeight = QFontMetricsF(bold).height() * 2;
    const QSizeF body(size.width(), std::max(1.0, size.height() - headerHeight));
    table.setPageSize(body);
    for (int number = 0; number < table.pageCount(); ++number) {
        if (number > 0) printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        painter.setFont(bold);
        painter.drawText(QRectF(0, 0, size.width(), headerHeight), Qt::AlignHCenter | Qt::AlignTop, header);
        painter.translate(0, headerHeight - number * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, number * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        table.documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

void DataGrid::PrintPreview(const QString& header, bool landscape, bool selectedRows) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(header);
    Prompts::PrintPreview(
        printer, [&](QPrinter& target) { PrintTo(target, header, selectedRows); }, header.toStdString());
}
