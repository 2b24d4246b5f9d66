#pragma once
#include <QColor>
#include <QHeaderView>

#include <functional>

class QTableView;

// The grey column of record selectors at the left of a table's rows, as every grid of the
// program draws it: no numbers, a marker on the current row, and the selection colour on the
// rows the grid counts as selected. What a press on one does is the grid's own.
class RecordSelectors : public QHeaderView {
public:
    explicit RecordSelectors(QTableView& view);

    // The rows drawn in `colour`; without it none is.
    void SetSelected(std::function<bool(int row)> selected, const QColor& colour);

    QSize sizeHint() const override;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    static constexpr int kWidth = 16;
    QTableView& view_;
    std::function<bool(int row)> selected_;
    QColor selectedColour_;
};
