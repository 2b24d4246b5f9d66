#include "widgets/ColumnFit.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <cmath>

#include "platform/RecordsetModel.h"

ColumnFit::ColumnFit(QTableView& view) : QObject(&view), view_(view) {
    QAbstractItemModel* model = view.model();
    connect(model, &QAbstractItemModel::modelReset, this, [this, model] { FitRows(0, model->rowCount() - 1); });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { FitRows(first, last); });
}

void ColumnFit::Fit(int column, const QString& widest) {
    if (column < 0) return;
    auto fitted =
        std::find_if(columns_.begin(), columns_.end(), [column](const Column& c) { return c.column == column; });
    if (fitted == columns_.end()) fitted = columns_.insert(columns_.end(), {column, widest});
    fitted->widest = widest;
    FitRows(0, view_.model()->rowCount() - 1, column);
}

// A text is measured as the sum of its characters' advances, which never falls short of the
// text as drawn; a grid's model gives its texts as they stand where it can, which makes fitting
// a column of 200,000 rows a matter of milliseconds.
void ColumnFit::FitRows(int first, int last, int only) {
    const QAbstractItemModel* model = view_.model();
    const auto* records = qobject_cast<const RecordsetModel*>(model);
    QHeaderView* header = view_.horizontalHeader();
    // The item's margins either side of its text, and the grid line.
    const int margins = 2 * (view_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view_) + 1) + 1;
    for (const Column& fitted : columns_) {
        if (fitted.column >= model->columnCount() || (only >= 0 && fitted.column != only)) continue;
        int widest = fitted.widest.isEmpty() ? 0 : TextWidth(fitted.widest);
        bool each = fitted.widest.isEmpty();
        if (each && records)
            each = !records->ForEachText(fitted.column, first, last,
                                         [&](std::string_view text) { widest = std::max(widest, TextWidth(text)); });
        for (int row = first; each && row <= last; ++row)
            widest = std::max(widest, TextWidth(model->index(row, fitted.column).data().toString()));
        const int width =
            std::max({header->sectionSize(fitted.column), header->sectionSizeHint(fitted.column), widest + margins});
        if (width != header->sectionSize(fitted.column)) header->resizeSection(fitted.column, width);
    }
}

const std::vector<qreal>& ColumnFit::CharWidths() {
    if (charWidths_.empty() || charWidthsFont_ != view_.font()) {
        const QFontMetricsF metrics(view_.font());
        charWidthsFont_ = view_.font();
        charWidths_.clear();
        for (char16_t c = 0; c < 0x80; ++c) charWidths_.push_back(metrics.horizontalAdvance(QChar(c)));
    }
    return charWidths_;
}

int ColumnFit::TextWidth(const QString& text) {
    const std::vector<qreal>& widths = CharWidths();
    const QFontMetricsF metrics(view_.font());
    qreal width = 0;
    for (QChar c : text) width += c.unicode() < 0x80 ? widths[c.unicode()] : metrics.horizontalAdvance(c);
    return static_cast<int>(std::ceil(width));
}

int ColumnFit::TextWidth(std::string_view utf8) {
    const std::vector<qreal>& widths = CharWidths();
    qreal width = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) return TextWidth(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        width += widths[byte];
    }
    return static_cast<int>(std::ceil(width));
}
