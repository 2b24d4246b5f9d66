#pragma once
#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/DefaultInstance.h"
#include "core/JobGuard.h"
#include "platform/DateTime.h"
#include "sticktool/EngineeringFrame.h"
#include "sticktool/StickConnection.h"
#include "sticktool/TagReadOptionsFrame.h"
#include "widgets/DesignGeometry.h"

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
class WaitPointer;
class clsKRComm;

// The stick tool window of the simple and engineering editions: it finds the stick on a
// serial port, checks it suits the program, sets its clock, and runs the stick's actions
// from one row of buttons; the engineering edition adds the factory tools below.
class frmSimple : public QWidget {
    Q_OBJECT
public:
    static frmSimple& Instance();  // the single default instance, loaded on first use
    ~frmSimple() override;

    // The caption the window gives itself: the program's name (in the engineering edition
    // "Stick reader (engineering)"), " v", the version, and the years and maker's notice.
    static QString DesignCaption();

    // ---- Controls -----------------------------------------------------------------------
    std::array<QPushButton*, 13> cmdStickAction{};
    QGroupBox* fraComPortSelection;
    QComboBox* cboSerialPorts;
    QComboBox* cboBaudRate;
    QLabel* baudRateLabel;
    QPushButton* cmdRefreshComportList;
    // The tag read options and their controls (the frame's own, reached from here).
    TagReadOptionsFrame* fraTagReadOptions;
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
    // The engineering frame and its factory controls (the frame's own, reached from here).
    EngineeringFrame* fraTolvane;
    QTextEdit* rtbText;
    QLabel* configFilesLabel;
    QComboBox* cboConfigFiles;
    std::array<QRadioButton*, 2> optBattery{};
    std::array<QRadioButton*, 2> optAgricultural{};
    QCheckBox* ckbAllowMemory;
    QLabel* serialNumberLabel;
    QLineEdit* txbSerialNumber;
    QLabel* rtcValueLabel;
    QLineEdit* txbRTCValue;
    QListWidget* lstConfiguration;
    QLabel* pageNumberLabel;
    QLineEdit* txbPageNumber;
    QLabel* writePatternLabel;
    QLineEdit* txbWritePattern;
    QLabel* lblStickPageCount;

    // ---- Handlers -----------------------------------------------------------------------
    void tmrInitialise_Timer();
    void GetComportList();
    void ShowComPortSelection(bool show);
    void cboSerialPorts_Click();
    void tmrStickTypeMismatch_Timer();
    void cmdStickAction_Click(int Index);

    // Shows a text on the help line at once.
    void ShowHelp(const std::string& text);

    // ---- Tag read options and output: the options frame's -------------------------------------
    void UpdateDisplayApplicationOptions() { fraTagReadOptions->UpdateDisplayApplicationOptions(); }
    void ckbSortTags_Click() { fraTagReadOptions->ckbSortTags_Click(); }
    void ckbIncludeGroupLabels_Click() { fraTagReadOptions->ckbIncludeGroupLabels_Click(); }
    void ckbIncludeTimeScanned_Click() { fraTagReadOptions->ckbIncludeTimeScanned_Click(); }
    void ckbSeparateGroups_Click() { fraTagReadOptions->ckbSeparateGroups_Click(); }
    void optTagsToSave_Click(int Index) { fraTagReadOptions->optTagsToSave_Click(Index); }
    void optDisplayApplication_Click(int Index) { fraTagReadOptions->optDisplayApplication_Click(Index); }
    bool DoExcelOutput(const Recordset& table) { return fraTagReadOptions->DoExcelOutput(table); }
    void TagReadOutput(const Recordset& table, const DateTime& readAt) {
        fraTagReadOptions->TagReadOutput(table, readAt);
    }

    // ---- Factory tools: the engineering frame's ----------------------------------------------
    void ConsoleWrite(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false) {
        fraTolvane->ConsoleWrite(text, bold, colour, overwrite);
    }
    void ConsoleWriteLine(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false) {
        fraTolvane->ConsoleWriteLine(text, bold, colour, overwrite);
    }
    std::string FormatPageNumber() { return fraTolvane->FormatPageNumber(); }
    std::string FormatWriteCharacter() const { return fraTolvane->FormatWriteCharacter(); }
    void DisplayPageReadData(const std::string& data) { fraTolvane->DisplayPageReadData(data); }
    long PageCount() const { return fraTolvane->PageCount(); }

    // ---- The stick: the connection's ----------------------------------------------------------
    bool SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern, long lngReadTimeout) {
        return stick_->SendStickCommand(strCommand, strReplyPattern, lngReadTimeout);
    }
    static bool StickReplyOK(const std::string& reply) { return StickConnection::StickReplyOK(reply); }
    static std::string StickReplyData(const std::string& reply) { return StickConnection::StickReplyData(reply); }
    const std::string& LastReply() const { return stick_->LastReply(); }
    clsKRComm& ComPort() { return stick_->Comm(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DefaultInstance<frmSimple>;
    frmSimple();
    void CreateControls();
    void ReachFrameControls();
    void ConnectHandlers();
    void LayOut();
    void MakeRoomForTexts();
    int ControlsWidth();
    int width_ = 0;  // the window's, as wide as its controls need
    void Form_Load();
    void TranslateCaptions();
    void LayOutForMode();
    void SetClientHeight(const QWidget* from, int below);
    const QWidget* heightFrom_ = nullptr;
    int heightBelow_ = 0;
    std::vector<DesignGeometry::Row> Rows() const;
    void CloseUpRows();
    void Unload();
    void Form_Unload();

    // The connection's steps, shown; false from a step means the connection has ended.
    bool IdentifyStick();
    bool CheckStickType();
    void LayOutForStick(long firmwareVersion);
    bool ReadMemorySize();
    void EnableActions(bool ok);
    void NotFoundEnding();
    void CommonEnding();
    StickConnection::Port ChosenPort() const;

    void EraseTagsFromStick();
    void ConfigureStick();
    void SendTagFileToStick();
    void EraseTagFileFromStick();

    void ShowOptionFrame(QGroupBox* frame, QPushButton* button, bool shown, const char* show, const char* hide);
    void ShowTagFileOptions(bool shown);

    std::unique_ptr<StickConnection> stick_;
    JobGuard jobs_;  // a connection or an action under way keeps the window open
    // The pointer of a connection that found the wrong stick, kept until the window closes.
    std::unique_ptr<WaitPointer> mismatchPointer_;
};
