#pragma once
#include <optional>
#include <string>

#include "register/DetailPane.h"

class QPushButton;
struct DateTime;

// The tag-change tab: the tag histories of the selected animals, recording a new tag for the
// animal shown (or an older one it wore) and deleting recorded changes.
class TagChangesPane : public DetailPane {
public:
    TagChangesPane(PaneWindow& window, QGroupBox* frame, int tab);

    DataGrid* grdTagChanges;
    QPushButton* cmdRecordTagChange;
    QPushButton* cmdDeleteTagChange;

    void Display() override { DisplayTagChanges(); }
    void DisplayTagChanges();
    void cmdRecordTagChange_Click();
    void cmdDeleteTagChange_Click();
    void grdTagChanges_Click();
    void grdTagChanges_PostEvent(int MsgId);
    void grdTagChanges_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

private:
    std::string AskNewTag();
    std::optional<DateTime> AskTagDate();
    void RecordTagChange(const std::string& newTag, const DateTime& date);
};
