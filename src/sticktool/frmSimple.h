#pragma once
#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "core/DefaultInstance.h"
#include "core/JobGuard.h"
#include "platform/DateTime.h"
#include "sticktool/StickTagOutput.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QTimer;
class Recordset;
class clsKRComm;
class StickAcceptanceTest;
namespace modStickReader {
class StickExchange;
}

// The stick tool window of the simple and engineering editions: it finds the stick on a
// serial port, checks it suits the program, sets its clock, and runs the stick's actions
// from one row of buttons; the engineering edition adds the factory tools below.
class frmSimple : public QWidget {
    Q_OBJECT
public:
    static frmSimple& Instance();  // the single default instance, loaded on first use
    ~frmSimple() override;

    // The caption the window gives itself: the program's name, " v" and the version.
    static QString DesignCaption();

    // ---- Controls -----------------------------------------------------------------------
    std::array<QPushButton*, 13> cmdStickAction{};
    QGroupBox* fraComPortSelection;
    QComboBox* cboSerialPorts;
    QComboBox* cboBaudRate;
    QLabel* lblBaudRate;
    QPushButton* cmdRefreshComportList;
    QGroupBox* fraTagReadOptions;
    QGroupBox* fraWhenReading;
    QCheckBox* ckbSortTags;
    QCheckBox* ckbIncludeGroupLabels;
    QCheckBox* ckbIncludeTimeScanned;
    QCheckBox* ckbSeparateGroups;
    QGroupBox* fraTagsToSave;
    std::array<QRadioButton*, 2> optTagsToSave{};
    QGroupBox* fraDisplayApp;
    std::array<QRadioButton*, 3> optDisplayApplication{};
    QGroupBox* fraTagFileOptions;
    QLabel* lblHelp;
    QTimer* tmrInitialise;
    QTimer* tmrStickTypeMismatch;
    // The engineering frame and its factory controls.
    QGroupBox* fraTolvane;
    QTextEdit* rtbText;
    QLabel* lblConfigFiles;
    QComboBox* cboConfigFiles;
    std::array<QRadioButton*, 2> optBattery{};
    std::array<QRadioButton*, 2> optAgricultural{};
    QCheckBox* ckbAllowMemory;
    QLabel* lblSerialNumber;
    QLineEdit* txbSerialNumber;
    QLabel* lblRTCValue;
    QLineEdit* txbRTCValue;
    QListWidget* lstConfiguration;
    QLabel* lblPageNumber;
    QLineEdit* txbPageNumber;
    QLabel* lblWritePattern;
    QLineEdit* txbWritePattern;
    QLabel* lblStickPageCount;

    // ---- Handlers -----------------------------------------------------------------------
    void tmrInitialise_Timer();
    void GetComportList();
    void ShowComPortSelection(bool show);
    void UpdateDisplayApplicationOptions();
    void ckbSortTags_Click();
    void ckbIncludeGroupLabels_Click();
    void ckbIncludeTimeScanned_Click();
    void ckbSeparateGroups_Click();
    void optTagsToSave_Click(int Index);
    void optDisplayApplication_Click(int Index);
    void cboSerialPorts_Click();
    void tmrStickTypeMismatch_Timer();
    void cmdStickAction_Click(int Index);

    // ---- Tag read output ----------------------------------------------------------------
    // The read as a spreadsheet, when that output is chosen and the read has a row: true
    // then (the keeper has the workbook, or the failure was logged), false when nothing was
    // made.
    bool DoExcelOutput(const Recordset& table);
    // The read as lines of text: a text window for the first group and, with separate groups,
    // for each further one, or the clipboard. The read time goes into the windows' titles.
    void TagReadOutput(const Recordset& table, const DateTime& readAt);

    // ---- Factory tools --------------------------------------------------------------------
    // Writes to the console: in append mode after what is there (its start remembered), in
    // overwrite mode in place of everything from the start remembered. Colours are BGR
    // numbers (255 red, 32768 green); 0 writes black.
    void ConsoleWrite(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false);
    // ConsoleWrite, then a line end.
    void ConsoleWriteLine(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false);
    // The page number box as four digits; "" when it is empty or, with a message, when it is
    // not below the stick's page count.
    std::string FormatPageNumber();
    // The write pattern box's "0"s and "1"s as one byte, the first the most significant; a
    // pattern of fewer than eight is taken as having zeros on its left.
    std::string FormatWriteCharacter() const;
    // Shows a page's bytes on the console, eight to a line, each as its eight bits.
    void DisplayPageReadData(const std::string& data);
    // The firmware version the connection found.
    long FirmwareVersion() const { return firmwareVersion_; }

    // The stick's command wrapper: the port of the selected list entry at the selected baud
    // rate, opened for the command alone when it is closed. True when a reply came.
    bool SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern,
                          long lngReadTimeout);
    // True when the reply ends with a success tail.
    static bool StickReplyOK(const std::string& reply);
    // The reply without its five-character status tail.
    static std::string StickReplyData(const std::string& reply);
    const std::string& LastReply() const;
    clsKRComm& ComPort() { return *comm_; }
    long PageCount() const { return pageCount_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DefaultInstance<frmSimple>;
    friend class StickAcceptanceTest;
    class WaitPointer;
    class ActionButtonsOff;
    frmSimple();
    void CreateControls();
    void CreateEngineeringControls();
    void ConnectHandlers();
    void LayOut();
    void MakeRoomForTexts();
    int width_ = 0;  // the window's, as wide as its controls need
    void Form_Load();
    void TranslateCaptions();
    void LayOutForMode();
    void LayOutTagReadOptions();
    void ListConfigurationFiles();
    void SelectStoredOptions();
    void SetClientHeight(int height);
    void StoreCheckBox(const char* setting, QCheckBox* box);
    void StoreOption(const char* setting, const char* procedure, int Index);
    void Unload();
    void Form_Unload();

    // The connection's steps; false from a step means the connection has ended.
    bool IdentifyStick();
    bool CheckStickType(long& firmwareVersion);
    void LayOutForStick(long firmwareVersion);
    bool ReadMemorySize();
    void EnableActions(bool ok);
    void NotFoundEnding();
    void CommonEnding();
    std::string PortSettings() const;
    long SelectedPort() const;

    void EraseTagsFromStick();
    void ConfigureStick();
    void OpenPort();
    void ShowHelp(const std::string& text);

    // Tag reading.
    void ReadTagsFromStick();
    bool ReadDisplayFormat(long& displayFormat, std::string& serial);
    bool ReadStoredTags();
    void WriteOut(Recordset& table, const DateTime& readAt);
    StickTagOutput::Options OutputOptions() const;

    // The eartag list on the stick.
    void SendTagFileToStick();
    void KeepCopyForStick(const std::string& listPath, const std::string& bytes);
    void EraseTagFileFromStick();

    // Page tools.
    void ReadPage();
    void WritePage();
    void ErasePage();
    bool SendFactoryCommand(const std::string& command);
    void ToggleFrame(QGroupBox* frame, QPushButton* button, const char* show, const char* hide);

    std::unique_ptr<clsKRComm> comm_;
    std::unique_ptr<modStickReader::StickExchange> exchange_;
    long pageCount_ = 0;
    long firmwareVersion_ = 0;
    int consolePosition_ = 0;  // where the console's last appended text starts
    JobGuard jobs_;  // a connection or an action under way keeps the window open
    // The pointer of a connection that found the wrong stick, kept until the window closes.
    std::unique_ptr<WaitPointer> mismatchPointer_;
};
