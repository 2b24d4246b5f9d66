#pragma once
#include <QDialog>

#include <string>
#include <unordered_map>
#include <vector>

#include "core/DefaultInstance.h"
#include "platform/Recordset.h"

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
    enum Column { Eartag, HerdId, TagNumber, EidNumber, Active, Combined, SortField };

    // The duplicate key: the visual tag and the EID in its hexadecimal form.
    static std::string GetCombined(const std::string& herdId, const std::string& tagNumber,
                                   const std::string& eid);
    // The sort key: tag numbers of digits padded so that they sort by value, then the
    // number's length.
    static std::string GetSort(const std::string& herdId, const std::string& tagNumber);
    // The visual tag as shown: herd id, a blank and the number, trimmed.
    static std::string EartagOf(const std::string& herdId, const std::string& tagNumber);

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
    const Recordset& EartagTable() const;
    // The text that marks entries added since the window opened.
    const std::string& NewEntryMarker() const { return marker_; }

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
    void InitialiseData(Recordset& table);
    void FillGrid();
    void DoGridCaption();
    void SetButtonState();
    void MakeSelectedActive(bool blnActive);
    std::string FileText() const;
    void Form_Unload();
    void grdTags_SelChange();
    void SetUpGrid();
    // The selected rows' bookmarks; the selection is cleared.
    std::vector<Recordset::Bookmark> TakeSelection();
    // The grid's recordset out of the grid, for changes the grid need not follow one by one,
    // and back in (the grid then shows it afresh, scrolled where it was).
    Recordset Detach();
    void Attach(Recordset table);
    void ReadEartagFile(Recordset& table);
    void AddEntry(Recordset& table, const std::string& herdId, const std::string& tagNumber,
                  const std::string& eid, const std::string& active, const std::string& sortField);
    // Adds the new tags of a tag-bucket file; false when the file's layout is unknown.
    bool AddTagBucket(Recordset& table, const std::string& path);
    void AddTagBucketLine(Recordset& table, int kind, const std::string& line);
    void IndexKey(const std::string& key, int change);
    bool HasKey(const std::string& key) const;

    RecordsetModel* model_;
    ColumnFit* fit_ = nullptr;
    std::string marker_;
    std::string sortList_;
    int loadWidth_ = 0;
    int loadHeight_ = 0;
    int scroll_ = 0;
    bool loadFailed_ = false;  // the file was not read whole: it is not written over
    bool unloading_ = false;
    // Duplicate keys of the list (compared without case), with how many entries hold each.
    std::unordered_map<std::string, int> keys_;
};
