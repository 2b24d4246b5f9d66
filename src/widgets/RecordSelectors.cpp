#include "widgets/RecordSelectors.h"

#include <QPainter>
#include <QTableView>

RecordSelectors::RecordSelectors(QTableView& view) : QHeaderView(Qt::Vertical, &view), view_(view) {
    setSectionResizeMode(QHeaderView::Fixed);
}

void RecordSelectors::SetSelected(std::function<bool(int row)> selected, const QColor& colour) {
    selected_ = std::move(selected);
    selectedColour_ = colour;
    viewport()->update();
}

QSize RecordSelectors::sizeHint() const { return {kWidth, QHeaderView::sizeHint().height()}; }

QSize RecordSelectors::sectionSizeFromContents(int) const { return {kWidth, defaultSectionSize()}; }

void RecordSelectors::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    const bool selected = selected_ && selected_(logicalIndex);
    painter->fillRect(rect, selected ? selectedColour_ : palette().color(QPalette::Button));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QModelIndex current = view_.currentIndex();
    if (current.isValid() && current.row() == logicalIndex) {
        const QPointF c = QRectF(rect).center();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette().color(QPalette::ButtonText));
        painter->drawPolygon(QPolygonF({c + QPointF(-3, -4), c + QPointF(3, 0), c + QPointF(-3, 4)}));
    }
    painter->restore();
}
