#pragma once
#include <QDialog>

#include "core/DefaultInstance.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Recordset;

// "Select Tags": the tags of a stick read as a tree of groups and their tags, each with a tick,
// for the keeper to untick what is not wanted. Closing it leaves in the read's table the rows
// whose tags stayed ticked (Done), or none (Cancel, the close box).
class frmSelectTags : public QDialog {
    Q_OBJECT
public:
    static frmSelectTags& Instance();
    // Offers the table's rows modally over `owner`; returns once the window has closed, the
    // table then holding the rows kept.
    static void ShowModal(QWidget* owner, Recordset& table);

    // The tick pictures, by the image number a node carries.
    enum Image { Ticked = 1, PartlyTicked = 2, Unticked = 3 };
    static int ImageOf(const QTreeWidgetItem* node);

    // The table whose rows are offered; set before the window loads.
    void TagData(Recordset& rsRecords) { table_ = &rsRecords; }

    QTreeWidget* trvTags;
    QPushButton* cmdDoneSelection;
    QPushButton* cmdCancel;

    void trvTags_NodeClick(QTreeWidgetItem* node);
    void cmdDoneSelection_Click();
    void cmdCancel_Click();

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DefaultInstance<frmSelectTags>;
    frmSelectTags();
    void Form_Load();
    void MakeRoomForTexts();
    void DeleteAllRows();
    void Unload(int result);

    Recordset* table_ = nullptr;
    bool unloading_ = false;
};
