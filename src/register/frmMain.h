#pragma once
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DefaultInstance.h"
#include "core/modMainWindowServices.h"
#include "corewindows/clsCommonDialog.h"
#include "platform/Recordset.h"
#include "register/PaneWindow.h"

class DataGrid;
namespace CsvExports {
struct Chosen;
}
struct DateTime;
namespace Movements {
class Script;
}
namespace SideLists {
enum class List;
}
class Connection;
class DetailPane;
class DoBChangePane;
class MovementHistoryPane;
class NotesPane;
class PedigreePane;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QTimer;
class TabControl;
class TagChangesPane;
class TaggingDateChangePane;
class TreatmentsPane;

// The full edition's main window: the animal register. The animal grid fills it, with a
// narrow panel of controls to its left and eleven detail tabs along the bottom; the help pane
// travels with the selected tab. It registers itself with core as the main window, which the
// device windows ask and tell (MainWindowServices), the single animal's changes included.
//
// The detail tabs from the date changes to the pedigree are panes of their own, each a class
// that owns its controls and handlers and reaches the window through PaneWindow. The window keeps
// their controls and procedures under the names it has always given them, which reach the pane.
//
// The members are grouped by the part of the window they belong to, in this order: the frame,
// the species set-up and captions, the main menu, the help pane, the animal grid, tag search,
// printing, the side lists, movements, the detail panes, exports and imports. Positions are
// designed in twips (1/1440 inch) and placed through DesignGeometry.
class frmMain : public QMainWindow, public PaneWindow, public modMainWindowServices::MainWindowServices {
    Q_OBJECT
public:
    static frmMain& Instance();
    static frmMain* Loaded() { return DefaultInstance<frmMain>::Loaded(); }
    ~frmMain() override;

    // ---- Frame ------------------------------------------------------------------------------
    QWidget* canvas;  // the inner area the controls are placed on
    QGroupBox* fraTagSearch;
    QLineEdit* txbTagSearch;
    QPushButton* cmdSelectAll;
    QPushButton* cmdDeSelectAll;
    QGroupBox* fraDisplay;
    QRadioButton* optCurrent;
    QRadioButton* optGone;
    QRadioButton* optNoLocation;
    QRadioButton* optAllAnimals;
    TabControl* tabDetails;
    std::array<QGroupBox*, 11> fraTab;
    // The tabs of the detail panes that follow the selected animals.
    enum PaneTab { kTagChangesTab = 6, kTreatmentsTab = 7, kMovementHistoryTab = 8, kNotesTab = 9, kParentageTab = 10 };
    QFrame* fraProgress;
    QProgressBar* pbrProgress;
    QLabel* lblProgress;
    QTimer* tmrZOrder;
    clsCommonDialog CommonDialog1;  // the save and open dialogs of the window

    long glngGridAnimalsAndTags = 0;
    long glngSelectedAnimalsAndTags = 0;

    void UpdateAfterImport() override;
    // What the device windows ask of the main window.
    void StartZOrderTimer() override;
    long GridAnimalsAndTags() override { return glngGridAnimalsAndTags; }
    long SelectedAnimalsAndTags() override { return glngSelectedAnimalsAndTags; }
    QWidget* Owner() override { return this; }
    void InitialiseProgressbar(long steps, const std::string& caption);
    void ResizeTabFrame();
    void Form_Resize();
    void tabDetails_Click(int PreviousTab);
    void tmrZOrder_Timer();

    // ---- Species set-up and captions --------------------------------------------------------
    void InitialiseForSpecies();
    void SetCaption();
    void GetCorrectCount();
    void UpdateCaptions();
    void UpdateFrameCaptions();

    // ---- Main menu --------------------------------------------------------------------------
    QMenu* mnuFile;
    QAction* mnuChangeSpecies;
    QMenu* mnuBackup;
    QAction* mnuBackupLocal;
    QAction* mnuBackupRVBS;
    QMenu* mnuRestore;
    QAction* mnuRestoreLocal;
    QAction* mnuRestoreRVBS;
    QAction* mnuDisplayRVBS;
    QAction* mnuChangeCountry;
    QAction* mnuChangeHoldingNumber;
    QAction* mnuChangeHerdNumber;
    QAction* mnuChangeFlockNumber;
    QAction* mnuExit;
    QMenu* mnuGetTagBucket;
    QAction* mnuGetAllflexTagBucket;
    QAction* mnuGetTolvaneTagBucket;
    QMenu* mnuDataTransfer;
    QMenu* mnuCSVFile;
    QMenu* mnuCSVExport;
    QAction* mnuExportAnimalAllCSV;
    QAction* mnuExportAnimalOwnedCSV;
    QAction* mnuExportMovementAllCSV;
    QAction* mnuExportMovementOwnedCSV;
    QAction* mnuExportTagChangesCSV;
    QMenu* mnuCSVImport;
    QAction* mnuImportAnimalHelp;
    QAction* mnuImportAnimalFromFile;
    QMenu* mnuMobilePhone;
    QAction* mnuExportMobilePhone;
    QAction* mnuImportMobilePhone;
    QMenu* mnuKRX900S;
    QAction* mnuKRX900SConfiguration;
    QAction* mnuImportKRX900S;

    void mnuChangeSpecies_Click();
    void mnuBackupLocal_Click();
    void mnuBackupRVBS_Click();
    void mnuRestoreLocal_Click();
    void mnuRestoreRVBS_Click();
    void mnuDisplayRVBS_Click();
    void mnuChangeCountry_Click();
    void mnuChangeHoldingNumber_Click();
    void mnuChangeHerdNumber_Click();
    void mnuChangeFlockNumber_Click();
    void mnuExit_Click();
    void mnuExportMobilePhone_Click();
    void mnuImportMobilePhone_Click();
    void mnuKRX900SConfiguration_Click();
    void mnuImportKRX900S_Click();
    // CommonDialog1 as the window's save dialog (explorer style, folder must exist, asks
    // before overwriting; the name proposed, none by default) and open dialog; "" when the
    // keeper cancelled.
    std::string SaveFileName(const std::string& title, const std::string& filter,
                             const std::string& strFileName = "") override;
    std::string OpenFileName(const std::string& title, const std::string& filter, bool fileMustExist,
                             const std::vector<std::string>& places = {});

    // ---- Help pane --------------------------------------------------------------------------
    QTextEdit* rtbHelp;
    void ShowHelp(const std::string& help);
    void ShowIntroductoryHelp();
    std::string GetHelpText(const QObject* Control);
    // Shows the control's help when the pointer has come to another control, or to another
    // tab of the tab strip; X and Y in twips from the control's corner.
    void MouseMoveHandler(const QObject* Control, int X, int Y);
    // A menu title clicked: its help, and the next control pointed at shows its help again.
    void MenuTitle_Click(const QMenu* title);

    // ---- Animal grid and filters ------------------------------------------------------------
    DataGrid* grdAnimals;
    // The grid's recordset: every refresh replaces it (the grid owns it; its clone shares its
    // rows and bookmarks and is positioned freely).
    const Recordset& mrsAnimalEID() const;
    Recordset mrsGridClone;
    std::string mvntGridFilterCaption;

    std::string GridFilterSQL();
    std::string GetGridSQL() override;
    long AnimalIDFromBookmark(Recordset::Bookmark vntBookmark);
    // The AnimalID of every selected row, in the order of the selection.
    std::vector<long> SelectedAnimalIDs() override;
    // The selected rows, in the order of the selection, as the grid loaded them.
    GridAnimals SelectedGridAnimals();
    void tmrSetGridRecords_Timer() override;
    void SetGridValueItems(const std::string& fieldName, const std::string& noneText);
    bool CanDelete(const QListWidget* list, long id);
    void cmdSelectAll_Click();
    void cmdDeSelectAll_Click();
    void grdAnimals_PostEvent(int MsgId);
    void grdAnimals_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
    // The shown text of an AnimalType value: "Tag only", "Owned", "Reference", "Borrowed".
    static std::string AnimalTypeText(const Value& AnimalType);

    // ---- Tag search (the text box is fraTagSearch's) ----------------------------------------
    // A key typed into txbTagSearch: Enter searches, anything else is upper-cased.
    void txbTagSearch_KeyPress(int& KeyAscii);

    // ---- Grid printing ----------------------------------------------------------------------
    void PrintGrid(DataGrid& grid, const std::string& title, long rows, long orientation, bool html) override;

    // ---- Side lists -------------------------------------------------------------------------
    QListWidget* lstGroups;
    QListWidget* lstLocations;
    QListWidget* lstGenders;
    QListWidget* lstBreeds;
    QMenu* mnuPopupListAction;
    std::array<QAction*, 6> PopupListAction;

    void FillListbox(QListWidget* list, const std::string& strSQL);
    void DisplayGroups();
    void DisplayLocations();
    void DisplayGenders(bool updateGrid);
    // The genders again, in the list and among the grid's names, with the ticked ones still ticked.
    void RedisplayGenders();
    void DisplayBreeds(bool updateGrid);
    void ListMouseUpHandler(QListWidget* list, Qt::MouseButton Button, QPoint Position);
    void PopupListAction_Click(int Index);
    // Shows mnuPopupListAction at the pointer with these captions (an empty one hides its
    // item) and gives the index of the item chosen, -1 for none.
    int ShowPopupListAction(const std::array<std::string, 6>& Captions) override;
    void Assign(QListWidget* list, long id, const std::string& name);
    void Deassign(QListWidget* list, long id, const std::string& name);
    void CreateNew(QListWidget* list);
    void Remove(QListWidget* list, long id, const std::string& name);

    // ---- Movements between locations --------------------------------------------------------
    // Puts one animal at a location (assign) or takes it out of one, by the movement script
    // that the location's type and the direction choose, in a transaction of its own: true when
    // every statement ran. A failure is logged and leaves the animal as it was.
    bool AssignToORRemoveFromLocation(bool assign, long animalID, const DateTime& date, long locationID,
                                      const std::string& details, const std::string& deathReason);

    // ---- Date-of-birth and tagging-date changes (DoBChangePane, TaggingDateChangePane) ------
    QGroupBox* fraDoBChange;
    QPushButton* cmdChangeDoBs;
    QPushButton* cmdCheckMovements;
    QGroupBox* fraTaggingDateChange;
    QPushButton* cmdChangeTaggingDates;
    void cmdChangeDoBs_Click();
    void cmdChangeTaggingDates_Click();
    // Selects the animals of the grid with a movement before their date of birth.
    void cmdCheckMovements_Click();

    // ---- Tag changes (TagChangesPane) -------------------------------------------------------
    DataGrid* grdTagChanges;
    QPushButton* cmdRecordTagChange;
    QPushButton* cmdDeleteTagChange;
    void DisplayTagChanges() override;
    void cmdRecordTagChange_Click();
    void cmdDeleteTagChange_Click();
    void grdTagChanges_Click();
    void grdTagChanges_PostEvent(int MsgId);
    void grdTagChanges_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

    // ---- Movement history (MovementHistoryPane) ---------------------------------------------
    DataGrid* grdMovements;
    void DisplayMovements() override;
    void grdMovements_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

    // ---- Treatments (TreatmentsPane) --------------------------------------------------------
    DataGrid* grdTreatments;
    QPushButton* cmdRecordTreatment;
    QPushButton* cmdDeleteTreatments;
    void DisplayTreatments() override;
    void cmdRecordTreatment_Click();
    void cmdDeleteTreatments_Click();
    void grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

    // ---- Pedigree (PedigreePane) ------------------------------------------------------------
    QTextEdit* rtbPedigree;
    DataGrid* grdPedigree;
    void DisplayPedigree() override;
    // `Position` is in the grid's cells (its view's viewport).
    void grdPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
    // Acts on the line of the chart's caret.
    void rtbPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

    // ---- Notes (NotesPane) ------------------------------------------------------------------
    QTextEdit* rtbNotes;
    void DisplayNote() override;
    void SaveNote() override;

    // ---- Exports and imports ----------------------------------------------------------------
    void ExportMovementsCSV(bool ownedOnly);
    void ExportAnimalsCSV(bool ownedOnly);
    void mnuExportTagChangesCSV_Click();

    void mnuGetAllflexTagBucket_Click();
    void mnuGetTolvaneTagBucket_Click();

    // Animal import file.
    void mnuImportAnimalFromFile_Click();
    void mnuImportAnimalHelp_Click();
    void ImportAnimals(const std::string& text);

    // ---- What the detail panes reach of the window (PaneWindow) -----------------------------
    DataGrid& AnimalGrid() override { return *grdAnimals; }
    Recordset& GridClone() override { return mrsGridClone; }
    int CurrentTab() const override;
    void ActOnSelected(const char* procedure, const std::string& caption, const SelectedAction& work) override;
    void EndSelectedAction() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class DefaultInstance<frmMain>;
    frmMain();

    // The grid's query with `within` added to its conditions; its rows, read in parts on a large
    // register.
    std::string GridSQL(const std::string& within);
    Recordset GridRows();
    // Frame
    void BuildFrame();
    bool loaded_ = false;
    void Form_Load();
    void Form_Unload();
    void SetHelpTags();
    void SetGridHelp();
    void SetTabOrder();
    void RegisterWithCore();
    bool resizing_ = false;
    // The controls left of the grid, one under the other, and the grid's left beside them.
    void LayOutPanel();
    int StackPanel(bool tight);
    int gridLeft_ = 0;
    // The controls of the tab frames that give up height with the tab area: each moves down by
    // `move` and grows by `grow` times the change of its frame's height from the design's.
    struct PaneFit {
        QWidget* control;
        QRect design;
        double move;
        double grow;
    };
    std::vector<PaneFit> paneFits_;
    void HoldPaneDesigns();
    void FitPanes(int frameHeight);
    void FitDateButtons(QGroupBox* frame);
    // The height below which the tab area cannot go without cutting what its panes show.
    int TabAreaMinimum() const;
    // Main menu
    void BuildMenu();
    void AfterSpeciesWindow();
    void ChangeNumber(const char* procedure, int mode);
    void OpenDeviceWindow(const char* procedure, bool stickReader, int HHAction);
    // Help pane
    const void* helpShownFor_ = nullptr;  // the control whose help shows; nothing yet, or a title's
    int helpTabShown_ = -1;
    void WatchHover();
    void HoverMove(QObject* watched, QEvent* event);
    // Tag search
    bool TagSearchKey(QObject* watched, QEvent* event);
    void SearchTag(const std::string& search);
    // Species set-up
    bool tagColumnInserted_ = false;
    void SetGridColumns();
    // Animal grid
    void BuildGrid();
    void SetGridFormats();
    void grdAnimals_BeforeColUpdate(int ColIndex, QVariant& Value, bool& Cancel);
    void ChangeAnimalTypes(int Index);
    // Side lists
    int popupChoice_ = -1;
    // Where the pop-up menu that the keyboard asked for opens: at the focused entry or cell,
    // not at the pointer.
    std::optional<QPoint> popupByKeysAt_;
    void BuildLists();
    void ListMouseUp(QObject* watched, QEvent* event);
    bool ListMenuKey(QObject* watched, QEvent* event);
    void PopupByKeys(QPoint at, const std::function<void()>& popup);
    void EditEntry(QListWidget* list, long id, const std::string& name);
    using EntryAction =
        std::function<Missing(Connection&, SideLists::List, long, const GridAnimals&, const ActionStep&)>;
    Missing InOrOutOfEntry(const char* procedure, QListWidget* list, long id, const EntryAction& unit,
                           const std::string& groupCaption,
                           const std::function<std::string(const std::string&)>& otherCaption);
    void TellMissing(QListWidget* list, const std::string& name, const Missing& missing);
    void DisplayList(QListWidget* list);
    // Movements between locations
    // The script of the movement action under way, read once for all its animals; only kept
    // while movementAction_ is set.
    std::shared_ptr<Movements::Script> movementScript_;
    bool movementAction_ = false;
    void AssignToLocation(long id, const std::string& name);
    void DeassignFromLocation(long id, const std::string& name);
    // Moves the selected animals, all at once by `many` (Movements::MoveMany) where it can, else one
    // by one by `each`.
    Missing MoveSelected(const char* procedure, const std::string& caption, long into,
                         const std::function<bool(const GridAnimals&)>& many,
                         const std::function<void(const GridAnimal&)>& each,
                         const std::function<bool(const GridAnimals&)>& agreed = {});
    // The detail panes, in the order of their tabs; the tabs that show the selected animals
    // have theirs in panes_, to be displayed when shown out of date.
    DoBChangePane* dobChange_;
    TaggingDateChangePane* taggingDateChange_;
    TagChangesPane* tagChanges_;
    TreatmentsPane* treatments_;
    MovementHistoryPane* movementHistory_;
    NotesPane* notes_;
    PedigreePane* pedigree_;
    std::array<DetailPane*, 11> panes_{};
    void BuildPanes();
    // Exports and imports
    // The file to export the selected animals to; "" when none is selected (the keeper is
    // told so, by default in the words of the movement and animal exports) or the keeper
    // cancelled.
    std::string ExportFileFor(
        const std::string& dialogTitle,
        const std::string& noneSelected = "Please select the animals in the grid whose details you want to export.",
        const std::string& noneSelectedTitle = "Select Animals for Export");
    // The selected animals as the grid shows them, in the order of the selection.
    std::vector<CsvExports::Chosen> ChosenForExport();
    void ImportTagBucket(const char* procedure, bool allflex);
    // Animal import file
    void BuildImportMenu();
};
