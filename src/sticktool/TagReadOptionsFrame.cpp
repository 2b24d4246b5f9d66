#include "sticktool/TagReadOptionsFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QRadioButton>

#include <cmath>
#include <memory>
#include <optional>

#include "core/Trap.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "platform/DateTime.h"
#include "platform/Desktop.h"
#include "platform/Recordset.h"
#include "platform/RuntimeError.h"
#include "platform/Spreadsheet.h"
#include "platform/Value.h"
#include "sticktool/frmSelectTags.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TextWindow.h"
#include "widgets/WaitPointer.h"

namespace {

const char* const kObject = "frmSimple";
constexpr int kTextWindowWidth = 7500, kTextWindowHeight = 6000;  // twips

using modCommon::Translate;

// A stored value as a number, or nothing when it is not one.
std::optional<double> NumberOf(const std::string& text) {
    try {
        return Value(text).ToDouble();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

// A stored check box value: "True", "False" or a number (non-zero ticks); any other text
// counts as the box's default.
bool StoredTick(const char* setting, const char* defaultValue) {
    std::string stored = modRegistry::GetRegistryValue(setting, defaultValue);
    try {
        return Value(stored).ToBool();
    } catch (const RuntimeError&) {
        return Value(defaultValue).ToBool();
    }
}

// A stored option's index when it is a whole number from 0 to `last`.
std::optional<int> StoredIndex(const char* setting, int last) {
    auto number = NumberOf(modRegistry::GetRegistryValue(setting, "0"));
    if (!number || std::trunc(*number) != *number || *number < 0 || *number > last) return std::nullopt;
    return static_cast<int>(*number);
}

}  // namespace

TagReadOptionsFrame::TagReadOptionsFrame(QWidget* window) : QGroupBox("Tag Read Options", window) {
    fraWhenReading = new QGroupBox("When reading tags from the stick...", this);
    ckbSortTags = new QCheckBox("Sort them into order", fraWhenReading);
    ckbIncludeGroupLabels = new QCheckBox("Include group labels", fraWhenReading);
    ckbIncludeTimeScanned = new QCheckBox("Include the time the tag was read", fraWhenReading);
    ckbSeparateGroups = new QCheckBox("Show each group in a separate window", fraWhenReading);
    fraTagsToSave = new QGroupBox("Tags to save", this);
    optTagsToSave = {new QRadioButton("All tags", fraTagsToSave), new QRadioButton("Selected tags", fraTagsToSave)};
    fraDisplayApp = new QGroupBox("Load tags in:", this);
    optDisplayApplication = {new QRadioButton("Text window", fraDisplayApp),
                             new QRadioButton("Spreadsheet", fraDisplayApp),
                             new QRadioButton("Desktop clipboard", fraDisplayApp)};
    optTagsToSave[0]->setChecked(true);
    optDisplayApplication[0]->setChecked(true);
    hide();
    ConnectHandlers();
}

void TagReadOptionsFrame::ConnectHandlers() {
    connect(ckbSortTags, &QCheckBox::toggled, this, [this] { ckbSortTags_Click(); });
    connect(ckbIncludeGroupLabels, &QCheckBox::toggled, this, [this] { ckbIncludeGroupLabels_Click(); });
    connect(ckbIncludeTimeScanned, &QCheckBox::toggled, this, [this] { ckbIncludeTimeScanned_Click(); });
    connect(ckbSeparateGroups, &QCheckBox::toggled, this, [this] { ckbSeparateGroups_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(optTagsToSave[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optTagsToSave_Click(i);
        });
    for (int i = 0; i < 3; ++i)
        connect(optDisplayApplication[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optDisplayApplication_Click(i);
        });
}

void TagReadOptionsFrame::LayOut() {
    using DesignGeometry::Place;
    Place(fraWhenReading, {120, 330, 4080, 1800});
    int row = 330;
    for (QCheckBox* box : {ckbSortTags, ckbIncludeGroupLabels, ckbIncludeTimeScanned, ckbSeparateGroups}) {
        Place(box, {150, row, 3870, 330});
        row += 360;
    }
    Place(fraTagsToSave, {4290, 330, 2850, 1800});
    for (int i = 0; i < 2; ++i) Place(optTagsToSave[i], {150, 330 + 360 * i, 2610, 330});
    Place(fraDisplayApp, {7230, 330, 2250, 1800});
    for (int i = 0; i < 3; ++i) Place(optDisplayApplication[i], {150, 330 + 360 * i, 2010, 330});
}

void TagReadOptionsFrame::MakeRoomForTexts() {
    using namespace DesignGeometry;
    for (QGroupBox* frame : {fraWhenReading, fraTagsToSave, fraDisplayApp}) HoldChildren(frame, 60);
    StackColumns({{fraWhenReading}, {fraTagsToSave}, {fraDisplayApp}}, 90);
    HoldChildren(this, 120);
}

void TagReadOptionsFrame::Load() {
    if (!modCommon::GetExcel()) {
        optDisplayApplication[1]->hide();
        optDisplayApplication[2]->move(optDisplayApplication[2]->x(), optDisplayApplication[1]->y());
    }
    ckbSortTags->setChecked(StoredTick("SortTags", "True"));
    ckbIncludeGroupLabels->setChecked(StoredTick("IncludeGroupLabels", "True"));
    ckbIncludeTimeScanned->setChecked(StoredTick("IncludeTimeScanned", "True"));
    LayOutTagReadOptions();
}

// Only Dutch keepers are offered a window per group; elsewhere its row is taken out.
void TagReadOptionsFrame::LayOutTagReadOptions() {
    if (modCommon::Translator().CurrentLanguage() == clsTranslator::Dutch) {
        ckbSeparateGroups->setChecked(StoredTick("WindowPerGroup", "False"));
        ckbSeparateGroups->show();
        optDisplayApplication[2]->setVisible(!ckbSeparateGroups->isChecked());
        return;
    }
    ckbSeparateGroups->setChecked(false);
    ckbSeparateGroups->hide();
    const int rowDistance = ckbSeparateGroups->y() - ckbIncludeTimeScanned->y();
    for (QGroupBox* frame : {fraWhenReading, fraTagsToSave, fraDisplayApp, static_cast<QGroupBox*>(this)})
        frame->resize(frame->width(), frame->height() - rowDistance);
}

void TagReadOptionsFrame::SelectStoredOptions() {
    if (auto index = StoredIndex("TagsToSave", 1)) optTagsToSave[*index]->setChecked(true);
    if (auto index = StoredIndex("DisplayApplication", 2)) optDisplayApplication[*index]->setChecked(true);
}

// ---- Stored options -------------------------------------------------------------------------

void TagReadOptionsFrame::StoreCheckBox(const char* setting, QCheckBox* box) {
    modRegistry::SetRegistryValue(setting, box->isChecked() ? "True" : "False");
}

void TagReadOptionsFrame::ckbSortTags_Click() {
    Trap("ckbSortTags_Click", kObject, [&] { StoreCheckBox("SortTags", ckbSortTags); });
}

void TagReadOptionsFrame::ckbIncludeGroupLabels_Click() {
    Trap("ckbIncludeGroupLabels_Click", kObject, [&] { StoreCheckBox("IncludeGroupLabels", ckbIncludeGroupLabels); });
}

void TagReadOptionsFrame::ckbIncludeTimeScanned_Click() {
    Trap("ckbIncludeTimeScanned_Click", kObject, [&] { StoreCheckBox("IncludeTimeScanned", ckbIncludeTimeScanned); });
}

void TagReadOptionsFrame::ckbSeparateGroups_Click() {
    Trap("ckbSeparateGroups_Click", kObject, [&] {
        StoreCheckBox("WindowPerGroup", ckbSeparateGroups);
        UpdateDisplayApplicationOptions();
    });
}

// The clicked option is stored when it differs from the stored one; a stored text that is no
// number is replaced by it.
void TagReadOptionsFrame::StoreOption(const char* setting, const char* procedure, int Index) {
    Trap(procedure, kObject, [&] {
        auto stored = NumberOf(modRegistry::GetRegistryValue(setting, "0"));
        if (!stored || *stored != Index) modRegistry::SetRegistryValue(setting, std::to_string(Index));
    });
}

void TagReadOptionsFrame::optTagsToSave_Click(int Index) { StoreOption("TagsToSave", "optTagsToSave_Click", Index); }

void TagReadOptionsFrame::optDisplayApplication_Click(int Index) {
    StoreOption("DisplayApplication", "optDisplayApplication_Click", Index);
}

void TagReadOptionsFrame::UpdateDisplayApplicationOptions() {
    optDisplayApplication[2]->setVisible(!ckbSeparateGroups->isChecked());
    auto stored = NumberOf(modRegistry::GetRegistryValue("DisplayApplication", "0"));
    int choice = stored ? static_cast<int>(*stored) : 0;
    if (choice < 0 || choice > 2) choice = 0;
    const bool excel = !optDisplayApplication[1]->isHidden(), clipboard = !optDisplayApplication[2]->isHidden();
    if (!excel && !clipboard) {
        fraDisplayApp->hide();
        SelectDisplayApplication(0);
        return;
    }
    fraDisplayApp->show();
    if (!excel && choice == 1) choice = 0;
    if (!clipboard && choice == 2) choice = 0;
    SelectDisplayApplication(choice);
}

// Selecting an option stores it, also when it was selected already: a stored choice the
// window cannot show gives way to the one it shows.
void TagReadOptionsFrame::SelectDisplayApplication(int Index) {
    if (optDisplayApplication[Index]->isChecked()) optDisplayApplication_Click(Index);
    else optDisplayApplication[Index]->setChecked(true);
}

// ---- A read's output ----------------------------------------------------------------------------

void TagReadOptionsFrame::ReadTags(StickConnection& stick, const StickTagRead::HelpLine& help) {
    const DateTime readAt = DateTime::Now();
    window()->setEnabled(false);
    auto pointer = std::make_unique<WaitPointer>();
    QCoreApplication::processEvents();
    std::optional<Recordset> table = StickTagRead(ReadOptions(), help, stick).Run();
    if (!table) return;
    if (optTagsToSave[1]->isChecked()) {
        pointer.reset();
        window()->setEnabled(true);
        frmSelectTags::ShowModal(window(), *table);
        window()->setEnabled(false);
        pointer = std::make_unique<WaitPointer>();
    }
    help(Translate("Saving to") + " " + OutputName());
    if (!DoExcelOutput(*table)) TagReadOutput(*table, readAt);
}

StickTagRead::Options TagReadOptionsFrame::ReadOptions() const {
    return {ckbSortTags->isChecked(), ckbIncludeGroupLabels->isChecked()};
}

StickTagOutput::Options TagReadOptionsFrame::OutputOptions() const {
    return {ckbIncludeGroupLabels->isChecked(), ckbIncludeTimeScanned->isChecked(), ckbSeparateGroups->isChecked()};
}

std::string TagReadOptionsFrame::OutputName() const {
    const int choice = optDisplayApplication[1]->isChecked() ? 1 : optDisplayApplication[2]->isChecked() ? 2 : 0;
    const std::string names[] = {Translate("a text window"), Translate("a spreadsheet"), Translate("clipboard")};
    return names[choice];
}

bool TagReadOptionsFrame::DoExcelOutput(const Recordset& table) {
    if (table.Rows() == 0 || !optDisplayApplication[1]->isChecked() || !modCommon::GetExcel()) return false;
    Trap("DoExcelOutput", kObject, [&] {
        const bool sheetPerGroup =
            modCommon::Translator().CurrentLanguage() == clsTranslator::Dutch && ckbSeparateGroups->isChecked();
        const Spreadsheet book = StickTagOutput::Workbook(table, OutputOptions(), sheetPerGroup);
        const std::string path = Spreadsheet::NewFilePath(
            Desktop::DocumentsFolder(), Translate("Data Imported ") + DateTime::Now().ToGeneralText());
        book.Save(path);
        if (!Desktop::OpenFile(path))
            throw RuntimeError(ErrorNumber::InvalidCall, "No spreadsheet application opened " + path);
    });
    return true;
}

void TagReadOptionsFrame::TagReadOutput(const Recordset& table, const DateTime& readAt) {
    const StickTagOutput::Text text = StickTagOutput::Lines(table, OutputOptions());
    if (optDisplayApplication[2]->isChecked()) {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(QString::fromStdString(text.All()));
        return;
    }
    if (!optDisplayApplication[0]->isChecked()) return;
    int cascade = 0;
    for (const auto& window : text.windows) {
        std::string title = Translate("Tag import") + " " + readAt.ToGeneralText();
        if (ckbSeparateGroups->isChecked()) title += " " + Translate("for group") + " " + window.group + " ";
        TextWindow::Open(title, this->window(), QSize(kTextWindowWidth, kTextWindowHeight), window.text, cascade++);
    }
}
