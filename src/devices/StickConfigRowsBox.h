#pragma once
#include <QWidget>

#include <optional>
#include <vector>

#include "devices/StickConfigEditor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;

// The box the configuration editor's rows scroll in (the stick reader window's picOuter): an
// inner box (picInner) holding the hidden template row and, once built, a label and a text box
// or list for every row, and the scroll bar that moves the inner box when the rows overflow.
class StickConfigRowsBox : public QWidget {
    Q_OBJECT
public:
    explicit StickConfigRowsBox(QWidget* parent);

    QWidget* picInner;
    QScrollBar* fsbVScroll;
    std::vector<QLabel*> lblConfig;  // element 0 is the template row
    std::vector<QLineEdit*> txbConfig;
    std::vector<QComboBox*> cboConfig;

    // Places the inner box, the scroll bar and the template row in the box as it now stands.
    void Layout();
    // Makes every row's controls, each editor tagged with its item's position, and lays the
    // rows on show out one under another by item id. True when they overflow the box.
    bool ShowRows(const std::vector<StickConfigEditor::RowDisplay>& rows);
    // Every row's controls gone, the template row alone left.
    void Clear();
    // The list at an item's position, or nullptr.
    QComboBox* ListAt(long position) const;
    // The position of the item a row's editor edits.
    static long PositionOf(const QWidget* editor);
    // The value the list's choice stores, none when nothing is chosen.
    static std::optional<long> SelectedValue(const QComboBox* list);

signals:
    // The list cboConfig(index) has a new choice.
    void ListChanged(int index);

private:
    // One row's label and editor on show, laid out by item id.
    struct ShownRow {
        long id;
        QLabel* label;
        QWidget* editor;
    };
    void AddRow(const StickConfigEditor::RowDisplay& display, std::vector<ShownRow>& shown);
    bool LayOutRows(std::vector<ShownRow> rows);
};
