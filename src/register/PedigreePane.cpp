#include "register/PedigreePane.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <cmath>
#include <memory>
#include <string_view>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "platform/Rtf.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "register/PaneWindow.h"
#include "register/PedigreeLinks.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

// The chart: bold Arial at 8 points, white, red and blue in the colour table, eight lines.
// Line 0 the title, then the sire's sire, the sire, the sire's dam, the animal, the dam's
// sire, the dam and the dam's dam: the sire's side above the animal and the dam's below,
// parents one tab in and grandparents two, males blue and females red. The click handling
// knows the relatives by these line numbers.
constexpr std::string_view kChartTemplate =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}}"
    "{\\colortbl ;\\red255\\green255\\blue255;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "\\viewkind4\\uc1\\f0\\b\\fs16\\pard "
    "{\\ul 3 Generation Parentage for A*}\\par "
    "\t\t{\\cf3 2SS*}\\par "
    "\t{\\cf3 1S*}\\par "
    "\t\t{\\cf2 2SD*}\\par "
    "A*\\par "
    "\t\t{\\cf3 2DS*}\\par "
    "\t{\\cf2 1D*}\\par "
    "\t\t{\\cf2 2DD*}\\b0 }";
static_assert(kChartTemplate.size() == 347);

// The chart's design place in its frame, and the progeny list's top below it (twips).
constexpr QRect kChartPlace{45, 240, 3810, 2100};
constexpr int kProgenyTop = 2370;

constexpr int kSireLine = 2, kAnimalLine = 4, kDamLine = 6, kLastLine = 7;
const char* const kNotRecorded = "Not recorded";

// The chart's placeholders, in the order FillChart takes their texts.
const char* const kPlaceholders[] = {"A*", "1S*", "1D*", "2SS*", "2SD*", "2DS*", "2DD*"};

// One animal of the chart: its tag and the keys of its parents (0 when none is recorded).
struct Relative {
    bool recorded = false;
    std::string tag;
    long dam = 0, sire = 0;
};

// The animal of this key; not recorded for 0, and for a key that names no animal (a link
// left behind by an animal removed without its links).
Relative Look(long animalID) {
    Relative relative;
    if (animalID <= 0) return relative;
    Recordset rs = Database().OpenRecordset("SELECT AnimalID, TagNumber, DamID, SireID FROM Animals WHERE AnimalID=" +
                                            std::to_string(animalID));
    if (rs.Eof()) return relative;
    relative.recorded = true;
    relative.tag = rs.Field("TagNumber").ToStringOr("");
    relative.dam = static_cast<long>(modCommon::DeNull(rs.Field("DamID"), Value(0)).ToLong());
    relative.sire = static_cast<long>(modCommon::DeNull(rs.Field("SireID"), Value(0)).ToLong());
    return relative;
}

// The template with every placeholder replaced in one pass, so that a tag that happens to
// hold a placeholder's text is never replaced again.
std::string FillChart(const std::array<std::string, std::size(kPlaceholders)>& texts) {
    std::string chart;
    for (std::size_t at = 0; at < kChartTemplate.size();) {
        std::size_t which = 0;
        while (which < texts.size() && !kChartTemplate.substr(at).starts_with(kPlaceholders[which])) ++which;
        if (which < texts.size()) {
            chart += texts[which];
            at += std::string_view(kPlaceholders[which]).size();
        } else {
            chart += kChartTemplate[at++];
        }
    }
    return chart;
}

// A relative's text in the chart: its tag made safe for RTF, or "Not recorded".
std::string ChartText(const Relative& relative) { return relative.recorded ? Rtf::Escape(relative.tag) : kNotRecorded; }

}  // namespace

PedigreePane::PedigreePane(PaneWindow& window, QGroupBox* frame, int tab) : DetailPane(window, frame, tab) {
    rtbPedigree = DesignGeometry::Make<QTextEdit>("rtbPedigree", kChartPlace, frame);
    rtbPedigree->setReadOnly(true);
    rtbPedigree->setTabStopDistance(DesignGeometry::Pixels(720));  // a rich-text box's half-inch tab stops
    // The right button saves the chart: the box has no menu of its own.
    rtbPedigree->setContextMenuPolicy(Qt::NoContextMenu);
    rtbPedigree->viewport()->installEventFilter(this);
    grdPedigree =
        DesignGeometry::Make<DataGrid>("grdPedigree", {kChartPlace.x(), kProgenyTop, kChartPlace.width(), 2325}, frame);
    connect(grdPedigree, &DataGrid::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint at) {
                grdPedigree_MouseUp(button, keys, grdPedigree->View().viewport()->mapFromGlobal(at));
            });
}

void PedigreePane::DisplayPedigree() {
    if (!OnShow()) return;
    Trap("DisplayPedigree", kObject, [&] {
        const long animalID = modCommon::GetSingleAnimalID();
        // An animal another copy of the program removed since the grid was read has no chart.
        const Relative animal = window_.AnimalGrid().SelCount() == 1 ? Look(animalID) : Relative{};
        if (!animal.recorded) {
            rtbPedigree->hide();
            grdPedigree->hide();
            return;
        }
        const Relative sire = Look(animal.sire), dam = Look(animal.dam);
        const std::string tag = ChartText(animal);
        Rtf::Read(FillChart({tag, ChartText(sire), ChartText(dam), ChartText(Look(sire.sire)),
                             ChartText(Look(sire.dam)), ChartText(Look(dam.sire)), ChartText(Look(dam.dam))}),
                  *rtbPedigree->document());

        const std::string id = std::to_string(animalID);
        Recordset progeny =
            Database().OpenRecordset(" SELECT AnimalID, TagNumber, DateOfBirth FROM Animals WHERE (SireID=" + id +
                                     " OR DamID=" + id + ") ORDER BY DateOfBirth DESC, TagSort ASC");
        const long count = progeny.RecordCount();
        grdPedigree->SetRecordset(std::move(progeny));
        grdPedigree->SetCaption(count > 0 ? QString("Number of Progeny = %1").arg(count)
                                          : QStringLiteral("No Progeny Recorded"));
        QTableView& view = grdPedigree->View();
        const int idColumn = grdPedigree->ColumnOf("AnimalID");
        view.setColumnHidden(idColumn, true);
        view.horizontalHeader()->setSectionResizeMode(idColumn, QHeaderView::Fixed);
        view.setColumnWidth(grdPedigree->ColumnOf("TagNumber"), DesignGeometry::Pixels(2000));
        grdPedigree->FitToValues(grdPedigree->ColumnOf("TagNumber"));
        const int dobColumn = grdPedigree->ColumnOf("DateOfBirth");
        grdPedigree->Model().setHeaderData(dobColumn, Qt::Horizontal, QStringLiteral("DoB"));
        grdPedigree->ShowUserDates(dobColumn);
        rtbPedigree->show();
        grdPedigree->show();
    });
}

// ---- Room ------------------------------------------------------------------------------------

QSize PedigreePane::ChartSize() const {
    // A copy, laid out without a width to wrap at: the box's own follows the box.
    const std::unique_ptr<QTextDocument> chart(rtbPedigree->document()->clone());
    chart->setTextWidth(-1);
    const QSizeF lines = chart->size();
    const int frame = 2 * rtbPedigree->frameWidth();
    return {static_cast<int>(std::ceil(lines.width())) + frame, static_cast<int>(std::ceil(lines.height())) + frame};
}

void PedigreePane::FitToFrame(int frameDesignWidth) {
    using DesignGeometry::Pixels;
    const QWidget* frame = rtbPedigree->parentWidget();
    const QSize chart = fitted_ = ChartSize();
    const int share = static_cast<int>(std::lround(double(kChartPlace.width()) * frame->width() / frameDesignWidth));
    const int across = std::max(0, frame->width() - rtbPedigree->x() - Pixels(kChartPlace.x()));
    const int width = std::min(across, std::max({Pixels(kChartPlace.width()), share, chart.width()}));
    const int bottom = frame->height() - Pixels(60), gap = Pixels(kProgenyTop - kChartPlace.bottom() - 1);
    // The list below keeps room for its caption, its headings and a row.
    const int room = std::max(0, bottom - gap - grdPedigree->LeastHeight() - rtbPedigree->y());
    const int height = std::min(std::max(rtbPedigree->height(), chart.height()), room);
    rtbPedigree->setGeometry(rtbPedigree->x(), rtbPedigree->y(), width, height);
    const int top = rtbPedigree->y() + height + gap;
    grdPedigree->setGeometry(grdPedigree->x(), top, width, std::max(0, bottom - top));
}

// ---- Clicks ----------------------------------------------------------------------------------

// Makes the animal of the animal grid's rows that `isAnimal` accepts the one selected and shown,
// or says that the grid does not show it.
void PedigreePane::SelectInAnimalGrid(const std::function<bool(const Recordset&)>& isAnimal) {
    Recordset& animals = window_.GridClone();
    if (animals.RecordCount() > 0) animals.MoveFirst();
    if (animals.RecordCount() == 0 || !animals.Find(isAnimal)) {
        Prompts::MsgBox("That animal is not currently displayed in the animal grid.", Prompts::OKOnly,
                        "Animal not in Grid");
        return;
    }
    DataGrid& grid = window_.AnimalGrid();
    grid.SelClear();
    grid.SelAdd(animals.GetBookmark());
    grid.PostMsg(1);
}

void PedigreePane::grdPedigree_MouseUp(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/, QPoint Position) {
    Trap("grdPedigree_MouseUp", kObject, [&] {
        const int row = grdPedigree->View().rowAt(Position.y());
        if (row < 0) return;
        const Recordset& progeny = grdPedigree->Rows();
        const Value animal = progeny.At(row, progeny.FieldIndex("AnimalID"));
        SelectInAnimalGrid([&](const Recordset& rs) { return rs["AnimalID"] == animal; });
    });
}

bool PedigreePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched != rtbPedigree->viewport() || event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::MouseButton button = mouse->button();
    const Qt::KeyboardModifiers keys = mouse->modifiers();
    // After the box has placed its caret or finished its selection.
    QTimer::singleShot(0, this, [this, button, keys] { rtbPedigree_MouseUp(button, keys); });
    return false;
}

void PedigreePane::rtbPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    int addParentOn = -1;
    Trap("rtbPedigree_MouseUp", kObject, [&] {
        if (Button != Qt::LeftButton) {
            SavePedigree();
            return;
        }
        const QTextCursor caret = rtbPedigree->textCursor();
        if (caret.hasSelection()) return;
        const int line = caret.blockNumber();
        const Qt::KeyboardModifiers keys = Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (keys == Qt::ControlModifier && (line == kSireLine || line == kDamLine)) {
            PedigreeLinks::ClearParent(Database().GetConnection(), modCommon::GetSingleAnimalID(), line == kSireLine);
            DisplayPedigree();
            return;
        }
        if (keys != Qt::NoModifier || line < 1 || line > kLastLine || line == kAnimalLine) return;
        const QString text = rtbPedigree->document()->findBlockByNumber(line).text().remove(QLatin1Char('\t'));
        if (text != QLatin1String(kNotRecorded)) {
            SelectInAnimalGrid([&](const Recordset& rs) {
                return QString::fromStdString(rs["TagNumber"].ToStringOr("")).compare(text, Qt::CaseInsensitive) == 0;
            });
        } else if (line == kSireLine || line == kDamLine) {
            addParentOn = line;
        }
    });
    if (addParentOn >= 0) AddMissingParent(addParentOn);
}

// Asks for the tag of the parent not recorded on the sire or dam line and records it: an
// animal of the working species with that tag, else a new reference animal, becomes the
// parent. Only the shown animal's link changes; the parent joins no group.
void PedigreePane::AddMissingParent(int line) {
    const std::string parent = line == kSireLine ? "Sire" : "Dam";
    const std::string tag = Prompts::InputBox(
        "Unknown " + parent + "\r\n" + "To add the unknown " + parent + " to your records enter its tag and click OK." +
            "\r\n" + "To leave the " + parent + " as 'Not Recorded', click Cancel" + "\r\n" + "If the " + parent +
            " whose tag you enter is not already in your records " + "it will be added as a 'Reference' animal.",
        Prompts::ApplicationTitle(), "");
    if (tag.empty() || tag == kNotRecorded) return;
    bool animalGone = false;
    Trap("rtbPedigree_MouseUp", kObject, [&] {
        const PedigreeLinks::Added added = PedigreeLinks::AddParent(
            Database().GetConnection(), modCommon::GetSingleAnimalID(), tag, line == kSireLine);
        if (added.ownTag)
            Prompts::MsgBox("The tag " + tag + " is this animal's own: an animal cannot be its own " +
                                LowerAscii(parent) + ". Nothing has been recorded.",
                            Prompts::OKOnly | Prompts::Exclamation, "Invalid Parent");
        if (!added.wornBy.empty())
            Prompts::MsgBox("The tag " + tag + " was worn before by the animal now tagged " + added.wornBy +
                                ": enter that tag to record it as this animal's " + LowerAscii(parent) +
                                ". Nothing has been recorded.",
                            Prompts::OKOnly | Prompts::Exclamation, "Invalid Parent");
        animalGone = added.animalGone;
        if (animalGone)
            Prompts::MsgBox(
                "This animal is no longer in your records, so its " + LowerAscii(parent) + " has not been recorded.",
                Prompts::OKOnly | Prompts::Information, "No Longer Recorded");
    });
    if (!animalGone) DisplayPedigree();  // the grid's refresh leaves an animal gone unshown
    window_.tmrSetGridRecords_Timer();
}

void PedigreePane::SavePedigree() {
    const std::string file = window_.SaveFileName("Save Parentage in an RTF Document", "RTF Files (*.rtf)|*.rtf",
                                                  rtbPedigree->document()->begin().text().toStdString());
    if (file.empty()) return;
    TextFile::Replace(file, Rtf::Write(*rtbPedigree->document()));
}
