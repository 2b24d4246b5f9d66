#pragma once
#include <QGroupBox>

#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTextEdit;
class StickConnection;

// The engineering edition's factory tools at the foot of the stick tool window: the stick
// acceptance test with its options, the console the tools write to, and the page tools that
// read, write and erase one page of the stick's memory.
class EngineeringFrame : public QGroupBox {
    Q_OBJECT
public:
    // The frame with its four action buttons (the window's actions 9 to 12); the other
    // controls follow with CreateControls, after the window's own, so that Tab reaches them
    // last.
    explicit EngineeringFrame(QWidget* window);
    void CreateControls();

    std::array<QPushButton*, 4> actions{};  // acceptance test, read, write and erase page
    QTextEdit* rtbText = nullptr;
    QLabel* configFilesLabel = nullptr;
    QComboBox* cboConfigFiles = nullptr;
    std::array<QRadioButton*, 2> optBattery{};
    std::array<QRadioButton*, 2> optAgricultural{};
    QCheckBox* ckbAllowMemory = nullptr;
    QLabel* serialNumberLabel = nullptr;
    QLineEdit* txbSerialNumber = nullptr;
    QLabel* rtcValueLabel = nullptr;
    QLineEdit* txbRTCValue = nullptr;
    QListWidget* lstConfiguration = nullptr;
    QLabel* pageNumberLabel = nullptr;
    QLineEdit* txbPageNumber = nullptr;
    QLabel* writePatternLabel = nullptr;
    QLineEdit* txbWritePattern = nullptr;
    QLabel* lblStickPageCount = nullptr;

    // The design's places inside the frame, in twips.
    void LayOut();
    // Once the controls have grown to their texts: the console as wide as a row of a page
    // dump, and the three columns side by side.
    void MakeRoomForTexts();
    // The console narrower than a row of a page dump by `narrower` pixels, down to its design
    // width; it then scrolls sideways to its lines, which still break where a dump row ends.
    // The controls right of it move with its edge, and the frame shrinks with it.
    void NarrowConsole(int narrower);
    // The configuration files the acceptance test may write, by name without ".conf".
    void ListConfigurationFiles();

    // What the connection's memory-size step found: the page count, or none.
    void ShowMemorySize(std::optional<long> pages);
    long PageCount() const { return pageCount_; }

    // ---- The console ------------------------------------------------------------------------
    // Writes to the console: in append mode after what is there (its start remembered), in
    // overwrite mode in place of everything from the start remembered. Colours are BGR
    // numbers (255 red, 32768 green); 0 writes black.
    void ConsoleWrite(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false);
    // ConsoleWrite, then a line end.
    void ConsoleWriteLine(const std::string& text, bool bold = false, long colour = 0, bool overwrite = false);
    void ClearConsole();

    // ---- The tools --------------------------------------------------------------------------
    // The page number box as four digits; "" when it is empty or, with a message, when it is
    // not below the stick's page count.
    std::string FormatPageNumber();
    // The write pattern box's "0"s and "1"s as one byte, the first the most significant; a
    // pattern of fewer than eight is taken as having zeros on its left.
    std::string FormatWriteCharacter() const;
    // Shows a page's bytes on the console, eight to a line, each as its eight bits.
    void DisplayPageReadData(const std::string& data);
    void RunAcceptanceTest(StickConnection& stick);
    void ReadPage(StickConnection& stick);
    void WritePage(StickConnection& stick);
    void ErasePage(StickConnection& stick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    long pageCount_ = 0;
    int consolePosition_ = 0;  // where the console's last appended text starts
    int designConsoleWidth_ = 0, dumpRowConsoleWidth_ = 0;
};
