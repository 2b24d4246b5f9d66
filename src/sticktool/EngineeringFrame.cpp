#include "sticktool/EngineeringFrame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "devices/modHandheld.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "sticktool/StickAcceptanceTest.h"
#include "sticktool/StickConnection.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WrappingButton.h"

EngineeringFrame::EngineeringFrame(QWidget* window) : QGroupBox(window) {
    const char* captions[] = {"Stick Acceptance Test", "Read Page", "Write Page", "Erase Page"};
    // A translated caption may be longer than the English one the size was made for.
    for (std::size_t i = 0; i < actions.size(); ++i) actions[i] = new WrappingButton(captions[i], this);
}

void EngineeringFrame::CreateControls() {
    rtbText = new QTextEdit(this);
    // The console shows what the stick said; Tab moves on to the next control, as it does
    // from every other box in the window.
    rtbText->setTabChangesFocus(true);
    configFilesLabel = new QLabel("Configuration Files", this);
    cboConfigFiles = new QComboBox(this);
    optBattery = {new QRadioButton("Small RTC Battery", this), new QRadioButton("Big RTC Battery", this)};
    optAgricultural = {new QRadioButton("Agricultural", this), new QRadioButton("Industrial", this)};
    // Each pair is a choice of its own, though they share the frame.
    for (auto* pair : {&optBattery, &optAgricultural}) {
        auto* group = new QButtonGroup(this);
        for (QRadioButton* option : *pair) group->addButton(option);
    }
    ckbAllowMemory = new QCheckBox("Allow Memory", this);
    serialNumberLabel = new QLabel("Serial Number", this);
    txbSerialNumber = new QLineEdit(this);
    rtcValueLabel = new QLabel("RTC Frequency", this);
    txbRTCValue = new QLineEdit(this);
    lstConfiguration = new QListWidget(this);
    lblStickPageCount = new QLabel(this);
    pageNumberLabel = new QLabel("Page Number", this);
    txbPageNumber = new QLineEdit(this);
    writePatternLabel = new QLabel("Write Pattern", this);
    txbWritePattern = new QLineEdit(this);
    txbWritePattern->setMaxLength(8);
    for (QLineEdit* box : {txbPageNumber, txbWritePattern}) box->installEventFilter(this);
    hide();
}

void EngineeringFrame::LayOut() {
    using DesignGeometry::Place;
    Place(actions[0], {120, 330, 3450, 450});
    Place(configFilesLabel, {120, 870, 3450, 270});
    Place(cboConfigFiles, {120, 1140, 3450, 360});
    for (int i = 0; i < 2; ++i) {
        Place(optBattery[i], {120, 1620 + 330 * i, 3450, 330});
        Place(optAgricultural[i], {120, 2340 + 330 * i, 3450, 330});
    }
    Place(ckbAllowMemory, {120, 3060, 3450, 330});
    Place(serialNumberLabel, {120, 3570, 1500, 330});
    Place(txbSerialNumber, {1620, 3570, 1950, 330});
    Place(rtcValueLabel, {120, 3990, 1500, 330});
    Place(txbRTCValue, {1620, 3990, 1950, 330});
    Place(rtbText, {3690, 330, 5400, 4170});
    Place(lstConfiguration, {9210, 330, 3000, 1800});
    Place(lblStickPageCount, {9210, 2220, 3000, 300});
    Place(pageNumberLabel, {9210, 2580, 1500, 330});
    Place(txbPageNumber, {10710, 2580, 1500, 330});
    Place(writePatternLabel, {9210, 2970, 1500, 330});
    Place(txbWritePattern, {10710, 2970, 1500, 330});
    for (int i = 1; i <= 3; ++i) Place(actions[i], {9210, 3390 + 390 * (i - 1), 3000, 360});
}

void EngineeringFrame::MakeRoomForTexts() {
    using namespace DesignGeometry;
    // The console shows a row of a page dump on one line.
    const int dumpRow = rtbText->fontMetrics().horizontalAdvance(QStringLiteral("01010101 ").repeated(8)) +
                        2 * rtbText->frameWidth() + 2 * static_cast<int>(rtbText->document()->documentMargin()) +
                        rtbText->verticalScrollBar()->sizeHint().width();
    designConsoleWidth_ = rtbText->width();
    dumpRowConsoleWidth_ = std::max(designConsoleWidth_, dumpRow);
    rtbText->resize(dumpRowConsoleWidth_, rtbText->height());
    StackColumns({{serialNumberLabel, rtcValueLabel}, {txbSerialNumber, txbRTCValue}}, 0);
    StackColumns({{pageNumberLabel, writePatternLabel}, {txbPageNumber, txbWritePattern}}, 0);
    StackColumns({{actions[0], configFilesLabel, cboConfigFiles, optBattery[0], optBattery[1], optAgricultural[0],
                   optAgricultural[1], ckbAllowMemory, txbSerialNumber, txbRTCValue},
                  {rtbText},
                  {lstConfiguration, lblStickPageCount, pageNumberLabel, txbPageNumber, writePatternLabel,
                   txbWritePattern, actions[1], actions[2], actions[3]}},
                 120);
    HoldChildren(this, 120);
}

void EngineeringFrame::NarrowConsole(int narrower) {
    const int width = std::max(designConsoleWidth_, dumpRowConsoleWidth_ - std::max(narrower, 0));
    const int shift = width - rtbText->width();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control->x() > rtbText->x()) control->move(control->x() + shift, control->y());
    rtbText->resize(width, rtbText->height());
    resize(this->width() + shift, height());
    if (width == dumpRowConsoleWidth_) {
        rtbText->setLineWrapMode(QTextEdit::WidgetWidth);
        return;
    }
    rtbText->setLineWrapMode(QTextEdit::FixedPixelWidth);
    rtbText->setLineWrapColumnOrWidth(dumpRowConsoleWidth_ - 2 * rtbText->frameWidth() -
                                      rtbText->verticalScrollBar()->sizeHint().width());
}

void EngineeringFrame::ListConfigurationFiles() {
    std::error_code error;
    std::vector<std::pair<QString, QString>> names;  // shown name, file name
    for (const auto& entry : std::filesystem::directory_iterator(Program::ProgramFolder(), error)) {
        const QString file = QString::fromStdString(entry.path().filename().string());
        if (!entry.is_regular_file(error) || !file.endsWith(".conf", Qt::CaseInsensitive)) continue;
        names.push_back({QString(file).remove(".conf", Qt::CaseInsensitive), file});
    }
    std::sort(names.begin(), names.end());
    // Each entry keeps its file's own name, whatever the letter case of its extension.
    for (const auto& [name, file] : names) cboConfigFiles->addItem(name, file);
}

void EngineeringFrame::ShowMemorySize(std::optional<long> pages) {
    if (!pages) {
        lblStickPageCount->setText("Memory size not read from stick!!");
        return;
    }
    pageCount_ = *pages;
    lblStickPageCount->setText(QString::fromStdString("Memory size is " + std::to_string(pageCount_) + " pages."));
    txbSerialNumber->setFocus();
}

// ---- The console ----------------------------------------------------------------------------

void EngineeringFrame::ConsoleWrite(const std::string& text, bool bold, long colour, bool overwrite) {
    QTextCursor cursor = rtbText->textCursor();
    if (overwrite) {
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(std::min(consolePosition_, cursor.position()), QTextCursor::MoveAnchor);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    } else {
        consolePosition_ = cursor.selectionStart();
    }
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    cursor.insertText(QString::fromStdString(text), format);
    cursor.movePosition(QTextCursor::End);
    rtbText->setTextCursor(cursor);
    rtbText->repaint();
}

// The line end goes after the text without moving the start remembered, so the next
// overwrite replaces the line.
void EngineeringFrame::ConsoleWriteLine(const std::string& text, bool bold, long colour, bool overwrite) {
    ConsoleWrite(text, bold, colour, overwrite);
    QTextCursor cursor = rtbText->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(CRLF), QTextCharFormat());
    rtbText->setTextCursor(cursor);
}

void EngineeringFrame::ClearConsole() {
    rtbText->clear();
    consolePosition_ = 0;
}

// ---- The tools ------------------------------------------------------------------------------

std::string EngineeringFrame::FormatPageNumber() {
    const std::string text = txbPageNumber->text().toStdString();
    const long page = std::lround(modHandheld::LeadingNumber(text));
    if (page >= pageCount_) {
        Prompts::MsgBox("Maximum page number must be less than " + std::to_string(pageCount_), Prompts::Exclamation,
                        "Page Outside Range");
        return "";
    }
    if (text.empty()) return "";
    char digits[24];
    std::snprintf(digits, sizeof digits, "%04ld", page);
    return digits;
}

std::string EngineeringFrame::FormatWriteCharacter() const {
    unsigned value = 0;
    for (QChar bit : txbWritePattern->text()) value = value << 1 | (bit == QLatin1Char('1') ? 1U : 0U);
    return std::string(1, static_cast<char>(value & 0xFF));
}

void EngineeringFrame::DisplayPageReadData(const std::string& data) {
    rtbText->clear();
    ConsoleWrite(std::to_string(data.size()) + " byte" + (data.size() == 1 ? "" : "s") +
                 " received from stick for page " + txbPageNumber->text().toStdString() + CRLF);
    std::string bits;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        for (int bit = 7; bit >= 0; --bit) bits += (byte >> bit & 1) ? '1' : '0';
        bits += i % 8 == 7 ? CRLF : " ";
    }
    ConsoleWrite(bits);
}

void EngineeringFrame::RunAcceptanceTest(StickConnection& stick) { StickAcceptanceTest(*this, stick).Run(); }

// The tools take no input from the window while they run; the window's action ends give it back.
void EngineeringFrame::ReadPage(StickConnection& stick) {
    window()->setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    if (stick.SendFactoryCommand("qR" + page)) DisplayPageReadData(StickConnection::StickReplyData(stick.LastReply()));
    else Prompts::MsgBox("Failed to get page data from the stick.", Prompts::OKOnly, "Page Data NOT Received");
}

// The stick ends a command at CR or LF, so a page cannot be written from either.
void EngineeringFrame::WritePage(StickConnection& stick) {
    window()->setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    const std::string character = FormatWriteCharacter();
    if (character == "\r" || character == "\n") {
        Prompts::MsgBox(
            "The bit patterns for <CR> and <LF> cannot be used as they are interpreted by the stick as "
            "command terminators.",
            Prompts::OKOnly, "Invalid Bit Pattern");
        return;
    }
    if (stick.SendFactoryCommand("qW" + page + character))
        Prompts::MsgBox("Page data written OK", Prompts::OKOnly, "Page Data Written");
    else Prompts::MsgBox("Failed to write page data on the stick.", Prompts::OKOnly, "Page Data NOT Written");
}

void EngineeringFrame::ErasePage(StickConnection& stick) {
    window()->setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    if (stick.SendFactoryCommand("qE" + page))
        Prompts::MsgBox("Page data erased OK", Prompts::OKOnly, "Page Data Erased");
    else Prompts::MsgBox("Failed to erase page data from the stick.", Prompts::OKOnly, "Page Data NOT Erased");
}

// The page number takes digits only, the write pattern "0" and "1" only; other typed
// characters are dropped (moving about and deleting still work).
bool EngineeringFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txbPageNumber || watched == txbWritePattern)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool passes = text.isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
                            key->key() == Qt::Key_Backtab;
        const QString allowed = watched == txbPageNumber ? "0123456789" : "01";
        if (!passes && !(text.size() == 1 && allowed.contains(text))) return true;
    }
    return QGroupBox::eventFilter(watched, event);
}
