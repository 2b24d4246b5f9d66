#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/Recordset.h"
#include "register/GridAnimals.h"

class DataGrid;

// What the detail panes of the main window need of the window they sit in: the animal grid with
// its selection and the clone of its recordset, the tab on show, and the window's own procedures
// that a pane's action ends in. The main window is the one implementation.
class PaneWindow {
public:
    virtual DataGrid& AnimalGrid() = 0;
    // The clone of the animal grid's recordset: its rows and bookmarks, positioned freely.
    virtual Recordset& GridClone() = 0;
    // The detail tab on show.
    virtual int CurrentTab() const = 0;
    // The AnimalID of every selected row of the animal grid, in the order of the selection.
    virtual std::vector<long> SelectedAnimalIDs() = 0;
    // Refreshes the animal grid, its selection kept.
    virtual void tmrSetGridRecords_Timer() = 0;
    virtual void PrintGrid(DataGrid& grid, const std::string& title, long rows, long orientation, bool html) = 0;
    // The window's pop-up menu at the pointer with these captions (an empty one hides its item):
    // the index of the item chosen, -1 for none.
    virtual int ShowPopupListAction(const std::array<std::string, 6>& Captions) = 0;
    // The window's save dialog; "" when the keeper cancelled.
    virtual std::string SaveFileName(const std::string& title, const std::string& filter,
                                     const std::string& strFileName = "") = 0;
    // Hands the selected animals of the animal grid, in the order of the selection, to `work`
    // once, with the window disabled and the progress frame showing `caption` and counting the
    // steps `work` reports; then refreshes the grid. A failure is logged under `procedure`.
    using SelectedAction = std::function<void(const GridAnimals&, const ActionStep&)>;
    virtual void ActOnSelected(const char* procedure, const std::string& caption, const SelectedAction& work) = 0;
    // The end of an action on the selected animals, however it ended: the progress frame hidden
    // and the window enabled again.
    virtual void EndSelectedAction() = 0;

protected:
    ~PaneWindow() = default;
};
