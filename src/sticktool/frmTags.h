#pragma once
#include <QDialog>

#include <string>
#include <vector>

#include "core/DefaultInstance.h"
#include "platform/Recordset.h"
#include "sticktool/EartagList.h"

class ColumnFit;
class QLabel;
class QPushButton;
class QTableView;
class RecordsetModel;

// The eartag look-up list: the tags the keeper means to send to the stick, kept in
// "Eartags.csv" in the data folder. Tags come from tag-bucket files; each is marked to be
// sent or not, or deleted; the file is written again when the window closes and after every
// import.
class frmTags : public QDialog {
    Q_OBJECT
public:
    static frmTags& Instance();
    // Shows the default instance modally over `owner` and returns once it has closed.
    static void ShowModal(QWidget* owner);

    // The columns of EartagTable, in order.
    using enum EartagList::Column;

    static std::string GetCombined(const std::string& herdId, const std::string& tagNumber, const std::string& eid) {
        return EartagList::GetCombined(herdId, tagNumber, eid);
    }
    static std::string GetSort(const std::string& herdId, const std::string& tagNumber) {
        return EartagList::GetSort(herdId, tagNumber);
    }

    QTableView* grdTags;
    QPushButton* cmdGetTagBucket;
    QPushButton* cmdMakeSelectedActive;
    QPushButton* cmdMakeSelectedInactive;
    QPushButton* cmdDelete;
    QPushButton* cmdHelp;
    QPushButton* cmdExit;
    QLabel* lblTickNumber;
    QLabel* lblCrossNumber;
    QLabel* lblSelected;
    QLabel* imgTick;
    QLabel* imgCross;

    // The list as shown (the grid's recordset).
    const Recordset& EartagTable() const { return list_.Table(); }
    // The text that marks entries added since the window opened.
    const std::string& NewEntryMarker() const { return list_.NewEntryMarker(); }

    void cmdGetTagBucket_Click();
    void cmdMakeSelectedActive_Click() { MakeSelectedActive(true); }
    void cmdMakeSelectedInactive_Click() { MakeSelectedActive(false); }
    void cmdDelete_Click();
    void cmdHelp_Click();
    void cmdExit_Click();
    void grdTags_HeadClick(int column);
    void Form_KeyDown(int keyCode);
    // Writes the list to "Eartags.csv" (closing and every import do).
    void SaveData();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DefaultInstance<frmTags>;
    frmTags();
    void Form_Load();
    void LayOut();
    void MakeRoomForTexts();
    void InitialiseData();
    void FillGrid();
    void DoGridCaption();
    void SetButtonState();
    void MakeSelectedActive(bool blnActive);
    void Form_Unload();
    void grdTags_SelChange();
    void SetUpGrid();
    // The selected rows' bookmarks; the selection is cleared.
    std::vector<Recordset::Bookmark> TakeSelection();
    // The list afresh in the grid, scrolled where it was.
    void ShowList();

    EartagList list_;
    RecordsetModel* model_;
    ColumnFit* fit_ = nullptr;
    int loadWidth_ = 0;
    int loadHeight_ = 0;
    bool loadFailed_ = false;  // the file was not read whole: it is not written over
    bool unloading_ = false;
};
