#pragma once
#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "core/DefaultInstance.h"
#include "core/JobGuard.h"

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
class clsKRComm;
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

private:
    friend class DefaultInstance<frmSimple>;
    class WaitPointer;
    frmSimple();
    void CreateControls();
    void CreateEngineeringControls();
    void ConnectHandlers();
    void LayOut();
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
    void ToggleFrame(QGroupBox* frame, QPushButton* button, const char* show, const char* hide);

    std::unique_ptr<clsKRComm> comm_;
    std::unique_ptr<modStickReader::StickExchange> exchange_;
    long pageCount_ = 0;
    JobGuard jobs_;  // a connection or an action under way keeps the window open
    // The pointer of a connection that found the wrong stick, kept until the window closes.
    std::unique_ptr<WaitPointer> mismatchPointer_;
};
