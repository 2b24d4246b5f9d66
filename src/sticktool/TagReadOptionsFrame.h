#pragma once
#include <QGroupBox>

#include <array>
#include <string>

#include "sticktool/StickTagOutput.h"
#include "sticktool/StickTagRead.h"

struct DateTime;
class QCheckBox;
class QRadioButton;
class Recordset;
class StickConnection;

// The stick tool's options for reading tags: what a read shows, which tags it keeps and where
// it goes (text windows, a spreadsheet or the clipboard), each stored as a machine setting when
// the keeper changes it; and the output of a read as they choose it.
class TagReadOptionsFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit TagReadOptionsFrame(QWidget* window);

    QGroupBox* fraWhenReading;
    QCheckBox* ckbSortTags;
    QCheckBox* ckbIncludeGroupLabels;
    QCheckBox* ckbIncludeTimeScanned;
    QCheckBox* ckbSeparateGroups;
    QGroupBox* fraTagsToSave;
    std::array<QRadioButton*, 2> optTagsToSave{};
    QGroupBox* fraDisplayApp;
    std::array<QRadioButton*, 3> optDisplayApplication{};

    // The design's places inside the frame, in twips. "Show each group in a separate window"
    // is the lowest row of its frame.
    void LayOut();
    // Once the controls have grown to their texts: the three frames side by side.
    void MakeRoomForTexts();
    // The stored ticks, the spreadsheet output where there is an application for it, and the
    // window per group where the keeper's language offers it.
    void Load();
    // The stored choices, where they are in range.
    void SelectStoredOptions();

    void ckbSortTags_Click();
    void ckbIncludeGroupLabels_Click();
    void ckbIncludeTimeScanned_Click();
    void ckbSeparateGroups_Click();
    void optTagsToSave_Click(int Index);
    void optDisplayApplication_Click(int Index);
    // Which outputs are offered and which is chosen: a window per group cannot go to the
    // clipboard, and a spreadsheet needs a spreadsheet application.
    void UpdateDisplayApplicationOptions();

    // ---- A read's output ----------------------------------------------------------------------
    // Reads the stick's tags to the chosen output. The window takes no input meanwhile, but
    // for the keeper's choice of tags where that is asked.
    void ReadTags(StickConnection& stick, const StickTagRead::HelpLine& help);
    StickTagRead::Options ReadOptions() const;
    StickTagOutput::Options OutputOptions() const;
    // The chosen output's name, as the help line shows it.
    std::string OutputName() const;
    // The read as a spreadsheet, when that output is chosen and the read has a row: true
    // then (the keeper has the workbook, or the failure was logged), false when nothing was
    // made.
    bool DoExcelOutput(const Recordset& table);
    // The read as lines of text: a text window for the first group and, with separate groups,
    // for each further one, or the clipboard. The read time goes into the windows' titles.
    void TagReadOutput(const Recordset& table, const DateTime& readAt);

private:
    void ConnectHandlers();
    void LayOutTagReadOptions();
    void StoreCheckBox(const char* setting, QCheckBox* box);
    void StoreOption(const char* setting, const char* procedure, int Index);
    void SelectDisplayApplication(int Index);
};
