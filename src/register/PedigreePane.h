#pragma once
#include <QPoint>
#include <QSize>

#include <functional>

#include "register/DetailPane.h"

class QTextEdit;
class Recordset;

// The parentage tab: the three-generation chart of the single animal shown and its progeny.
// Both are also a way round the register: a click on a relative shows that relative, a click on
// a parent that is not recorded records one, Ctrl+click clears a parent, and a right click
// saves the chart as an RTF file.
class PedigreePane : public DetailPane {
public:
    PedigreePane(PaneWindow& window, QGroupBox* frame, int tab);

    QTextEdit* rtbPedigree;
    DataGrid* grdPedigree;

    void Display() override { DisplayPedigree(); }
    void DisplayPedigree();
    // `Position` is in the grid's cells (its view's viewport).
    void grdPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
    // Acts on the line of the chart's caret.
    void rtbPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
    // Lays the chart and the progeny list out in their frame, once it has its size: the chart
    // shows its eight lines whole, none wrapped, as far as the frame has room beside the list's
    // caption, headings and a row, and takes the design's share of the frame's width
    // (`frameDesignWidth`, twips) as the frame grows; the list below it takes the height left.
    void FitToFrame(int frameDesignWidth);
    // The size at which the chart shows every line whole, none wrapped; and that size when the
    // chart was last laid out.
    QSize ChartSize() const;
    QSize FittedSize() const { return fitted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize fitted_;

    void SavePedigree();
    void AddMissingParent(int line);
    void SelectInAnimalGrid(const std::function<bool(const Recordset&)>& isAnimal);
};
