#pragma once
#include <QFont>
#include <QObject>
#include <QString>

#include <string_view>
#include <vector>

class QTableView;

// Keeps columns of a table view at least as wide as their headings and the widest texts they
// show: a text of a fixed form given at its widest (a date), or else the widest of the rows
// loaded, measured again whenever the view's model loads rows. It only ever widens a column
// from the width it has (after a reset, the width the view's owner gave it).
class ColumnFit : public QObject {
public:
    // Follows the view's model (set before); owned by the view.
    explicit ColumnFit(QTableView& view);

    void Fit(int column, const QString& widest = {});

private:
    struct Column {
        int column;
        QString widest;
    };
    QTableView& view_;
    std::vector<Column> columns_;
    std::vector<qreal> charWidths_;  // the advance of each character up to 0x7f in this font:
    QFont charWidthsFont_;

    // The fitted columns, or only the column `only`, over the rows `first` to `last`.
    void FitRows(int first, int last, int only = -1);
    const std::vector<qreal>& CharWidths();
    int TextWidth(const QString& text);
    int TextWidth(std::string_view utf8);
};
