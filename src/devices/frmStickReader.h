#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/DefaultInstance.h"
#include "devices/DeviceDialog.h"
#include "devices/StickConfigEditor.h"
#include "devices/StickConfigRowsBox.h"
#include "devices/clsKRComm.h"
#include "devices/modStickReader.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

// The window through which the keeper reaches a stick reader: step 0 chooses the serial port,
// then the window finds the stick, sets its clock and either imports the reads it holds into
// the register (step 2) or edits its configuration (step 1).
class frmStickReader : public DeviceDialog {
    Q_OBJECT
public:
    // The single default instance, made on first use; every opening after an unload is fresh.
    static frmStickReader& Instance();
    static frmStickReader* Loaded() { return DefaultInstance<frmStickReader>::Loaded(); }
    // The main menu's opening: action 1 import, 2 configuration, shown window-modal over the
    // owner without waiting for it.
    static void Open(int HHAction, QWidget* owner);

    // Set by the opener before the window is shown. A port other than 0 is the only one
    // offered, and the window connects to it at once.
    void SetPort(long port) { port_ = port; }
    void SetHHAction(long action) { HHAction_ = action; }

    std::array<QGroupBox*, 3> fraSequence{};  // 0 port, 1 configuration, 2 import
    std::array<QLabel*, 3> lblHelp{};
    QComboBox* cboSerialPorts;
    QPushButton* cmdRefreshComportList;
    QPushButton* cmdQuit;
    // The box the configuration's rows scroll in; the names below reach its controls.
    StickConfigRowsBox* picOuter;
    QWidget* picInner;
    QScrollBar* fsbVScroll;
    std::vector<QLabel*>& lblConfig;  // element 0 is the template row
    std::vector<QLineEdit*>& txbConfig;
    std::vector<QComboBox*>& cboConfig;
    QPushButton* cmdConfigSave;
    QPushButton* cmdConfigExit;
    QPushButton* cmdImportExit;
    QLabel* lblInitialise;

    void ShowFrame(int n);
    void DisplayHelp(int n);
    void GetComportList();

    void Form_Load() override;
    void tmrInitialise_Timer();
    void cboSerialPorts_Click();
    void cmdRefreshComportList_Click();
    void cmdQuit_Click();
    void cmdImportExit_Click();
    void cmdConfigExit_Click();
    void ComPort_DataReceived(const std::string& strDataBuffer, long lngLastCharPos);
    void cboConfig_Click(int Index);
    void cmdConfigSave_Click();
    void fsbVScroll_Change();
    void Form_Unload() override;

private:
    friend class DefaultInstance<frmStickReader>;
    frmStickReader();
    ~frmStickReader() override;

    enum class ImportEnd { Completed, Failed, NoData, Stopped };

    long port_ = 0;
    long HHAction_ = 0;
    bool connected_ = false;
    bool importing_ = false;
    long firstSeparatorAt_ = 0;  // where the first "#" of the records reply came, 1-based
    long fixedPartLength_ = 0;   // of the progress caption, before the count
    std::string stickSerial_;    // of the stick being imported
    clsKRComm ComPort;
    modStickReader::StickExchange exchange_{ComPort};

    void BuildControls();
    void Layout();
    void TranslateCaptions();
    void AppendHelp(const std::string& line);

    void DoImport();
    ImportEnd ImportSteps();
    bool ReadConfiguration(long& displayFormat);
    bool ReadRecords(std::string& payload);
    // Files the reads; returns the records that are no read.
    std::vector<std::string> AddReadsToRecords(const std::string& payload, long displayFormat,
                                               const std::string& groupNameStem);
    bool KeepUnreadRecords(const std::vector<std::string>& unread);
    void EraseStick();

    // ---- The configuration editor -----------------------------------------------------------
    // The rows, their checks and their values; picOuter shows them.
    StickConfigEditor editor_;
    std::vector<int> PreviousListIndex;  // by list control: the choice last accepted
    bool ClickRulesActive = false;

    void DoConfiguration();
    bool ReadStickConfiguration(std::string& configuration, std::string& identity);
    bool BuildConfigRows(const std::vector<std::string>& entries, const std::string& identity);
    void ClearConfigRows();
    void SelectConfigListEntry(QComboBox* list, int entry);
    bool CheckConfigRows(std::string& message, QWidget*& focus);
    std::string ConfigRowEntry(const StickConfigEditor::ConfigRow& row) const;
    bool WriteConfiguration(std::string& message);
    void LaterVersionMessage();
    std::string StickNotFoundText() const;
};

// Registers the stick reader window as the one the main menu opens.
void RegisterStickReaderWindow();
