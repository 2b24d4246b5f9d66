#include "widgets/ColumnFit.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <cmath>

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
    FitRows(0, view_.model()->rowCount() - 1);
}

// A text is measured as the sum of its characters' advances, which never falls short of the
// text as drawn and is quick enough for a grid of 50,000 rows.
void ColumnFit::FitRows(int first, int last) {
    const QAbstractItemModel* model = view_.model();
    QHeaderView* header = view_.horizontalHeader();
    // The item's margins either side of its text, and the grid line.
    const int margins = 2 * (view_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view_) + 1) + 1;
    for (const Column& fitted : columns_) {
        if (fitted.column >= model->columnCount()) continue;
        int widest = fitted.widest.isEmpty() ? 0 : TextWidth(fitted.widest);
        for (int row = first; fitted.widest.isEmpty() && row <= last; ++row)
            widest = std::max(widest, TextWidth(model->index(row, fitted.column).data().toString()));
        const int width =
            std::max({header->sectionSize(fitted.column), header->sectionSizeHint(fitted.column), widest + margins});
        if (width != header->sectionSize(fitted.column)) header->resizeSection(fitted.column, width);
    }
}

int ColumnFit::TextWidth(const QString& text) {
    const QFontMetricsF metrics(view_.font());
    if (charWidths_.empty() || charWidthsFont_ != view_.font()) {
        charWidthsFont_ = view_.font();
        charWidths_.clear();
        for (char16_t c = 0; c < 0x80; ++c) charWidths_.push_back(metrics.horizontalAdvance(QChar(c)));
    }
    qreal width = 0;
    for (QChar c : text) width += c.unicode() < 0x80 ? charWidths_[c.unicode()] : metrics.horizontalAdvance(c);
    return static_cast<int>(std::ceil(width));
}
