#pragma once
#include <array>
#include <string>

#include "core/DefaultInstance.h"
#include "devices/DeviceDialog.h"
#include "devices/clsKRComm.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTextEdit;

// The window through which the keeper reaches the handheld application on a mobile phone: step
// 0 chooses the serial port and finds the phone, then the window either imports what was
// recorded on the phone (step 3) or lets the keeper choose which animals replace the phone's
// data (step 1) and exports them (step 2). One job per opening; the window then unloads. Its
// texts are the phone application's own and are not translated.
class frmMobilePhone : public DeviceDialog {
    Q_OBJECT
public:
    static frmMobilePhone& Instance();
    static frmMobilePhone* Loaded() { return DefaultInstance<frmMobilePhone>::Loaded(); }
    // The main menu's opening: action 1 import, 0 export, shown window-modal over the owner
    // without waiting for it.
    static void Open(int HHAction, QWidget* owner);

    // The phone handles at most this many animals and tag-bucket entries.
    static constexpr long PhoneCapacity = 4000;

    void SetHHAction(long enHHAAction) { Action_ = enHHAAction; }

    std::array<QGroupBox*, 4> fraSequence{};  // 0 port, 1 export choice, 2 exporting, 3 importing
    std::array<QLabel*, 4> lblHelp{};
    std::array<QRadioButton*, 4> optExport{};
    QComboBox* cboSerialPorts;
    QPushButton* cmdQuit;
    QPushButton* cmdRefreshComportList;
    QPushButton* cmdExport;
    QPushButton* cmdQuit1;
    QLabel* lblInitialSearch;
    QTextEdit* rtfHidden;

    // One exchange with the phone on the open port, or on the selected one opened (and closed
    // again) for it. True only for a reply with status S; ReplyPayload() is then the reply
    // before its tail. Never raises.
    bool SendPhoneCommand(const std::string& command, const std::string& replyPattern, long timeoutMs);
    const std::string& ReplyPayload() const { return ReplyPayload_; }
    void ShowFrame(long n);
    void DisplayHelp(long n);
    void GetComportList();
    // The jobs, run by the probe and the export button once the phone has answered.
    bool DoImport();
    bool DoExport();
    int ExportChoice() const { return ExportChoice_; }

    void Form_Load() override;
    void tmrInitialise_Timer();
    void cboSerialPorts_Click();
    void optExport_Click(int Index);
    void cmdExport_Click();
    void cmdQuit_Click();
    void cmdQuit1_Click();
    void cmdRefreshComportList_Click();
    void Form_Unload() override;

private:
    friend class DefaultInstance<frmMobilePhone>;
    frmMobilePhone();
    ~frmMobilePhone() override;

    long Action_ = 0;
    std::string ReplyPayload_;
    bool PhoneFound_ = false;
    bool ExportOptionsShown_ = false;
    int ExportChoice_ = 0;
    clsKRComm ComPort;

    // The progress of a job in its frame's help label: a base that grows by a line per phase,
    // and one passing line after it showing the item being worked on.
    QLabel* progress_ = nullptr;
    int baseLength_ = 0;
    qint64 lastPaint_ = 0;
    void StartProgress(long frame, const std::string& text);
    void AppendProgress(const std::string& line);
    void PassingLine(const std::string& line);
    void Repaint();

    void BuildControls();
    bool OpenSelectedPort(long readTimeoutMs);
    long SelectedPort() const;
    void ExportChoicesFound();
    bool ImportSteps();
};

// Registers the phone window as the one the main menu opens.
void RegisterMobilePhoneWindow();
