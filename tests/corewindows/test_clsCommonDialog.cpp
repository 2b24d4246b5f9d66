#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QPrinter>

#include <tuple>

#include "corewindows/clsCommonDialog.h"
#include "fixtures/ScratchHome.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/RuntimeError.h"

namespace {

// Notes every event of a hooked dialog; vetoes the first OK.
struct Recorder : clsCommonDialog::DialogEventSink {
    std::vector<std::string> heard;
    int vetoes = 1;
    void InitDialog() override { heard.push_back("InitDialog"); }
    void TypeChange(long index) override { heard.push_back("TypeChange " + std::to_string(index)); }
    bool ConfirmOK(const std::string& file) override { return heard.push_back("ConfirmOK " + file), vetoes-- <= 0; }
    void FolderChange(const std::string& folder) override { heard.push_back("FolderChange " + folder); }
    void FileChange(const std::string& file) override { heard.push_back("FileChange " + file); }
    void DialogClose() override { heard.push_back("DialogClose"); }
};

}  // namespace

TEST(CommonDialog, ColourFontAndPageSetupComeBackAsChosenAndCancelChangesNothing) {
    EnsureTestApplication();
    ScriptedPrompts prompts;
    clsCommonDialog dialog;
    dialog.SetCustomColor(3, 0xFF0000);
    long color = 0x8000000F;  // the button face
    prompts.AnswerDialog<QColor>([](QColor& c) {
        return QColorDialog::setCustomColor(5, QColor(1, 2, 3)), (c = QColor(0x12, 0x34, 0x56)), true;
    });
    ASSERT_TRUE(dialog.VBChooseColor(color));
    EXPECT_EQ(prompts.shown().back().text, QApplication::palette().color(QPalette::Button).name().toStdString());
    EXPECT_EQ(std::make_tuple(color, dialog.CustomColor(5), dialog.CustomColor(3), dialog.CustomColor(0)),
              std::make_tuple(0x563412L, 0x030201L, 0xFF0000L, 0xFFFFFFL));
    for (int index : {-1, 16})
        EXPECT_EQ(Catching([&] { return dialog.CustomColor(index); }, [](const RuntimeError& e) { return e.number; }),
                  ErrorNumber::SubscriptOutOfRange);

    QFont font("DejaVu Sans", 10), chosen("DejaVu Serif", 14, QFont::Bold);
    prompts.AnswerDialog<QFont>([&](QFont& f) { return (f = chosen), true; });
    ASSERT_TRUE(dialog.VBChooseFont(font));
    EXPECT_EQ(font, chosen);

    QPrinter printer;  // the page-setup dialog's answer acts on its layout
    double left = 10, top = 10, right = 10, bottom = 10;
    long paper = QPageSize::Letter, orientation = 1;
    prompts.AnswerDialog<QPrinter>([](QPrinter& p) {
        return p.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, {5, 6, 7, 8}, QPageLayout::Millimeter));
    });
    ASSERT_TRUE(dialog.VBPageSetupDlg2(printer, left, top, right, bottom, paper, orientation));
    EXPECT_EQ(std::make_tuple(left, top, right, bottom, paper, orientation),
              std::make_tuple(5.0, 6.0, 7.0, 8.0, long(QPageSize::A5), 2L));

    // Moved, then cancelled: nothing comes back.
    prompts.AnswerDialog<QColor>([](QColor& c) { return (c = Qt::red), false; }).AnswerDialog<QPrinter>([](QPrinter&) {
        return false;
    });
    EXPECT_FALSE(dialog.VBChooseColor(color));
    EXPECT_FALSE(dialog.VBPageSetupDlg2(printer, left, top, right, bottom, paper, orientation));
    EXPECT_EQ(std::make_tuple(color, paper, dialog.APIReturn()), std::make_tuple(0x563412L, long(QPageSize::A5), 0L));
}

TEST(CommonDialog, HookTellsTheSinkInOrderAndItsVetoKeepsTheDialogOpen) {
    ScriptedPrompts prompts;
    clsCommonDialog dialog;
    Recorder sink;
    std::string name, title, filter;
    long index = 1, flags = 0x80000;
    bool readOnly = false;
    auto open = [&](bool hook, clsCommonDialog::DialogEventSink* events) {
        filter = "Text|*.txt|CSV|*.csv";
        return dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index, "/home", "", "", -1,
                                        &flags, hook, events);
    };
    prompts.WalkFileDialog({"folder /data", "type 2", "file /data/a.csv", "OK", "file /data/b.csv", "OK"});
    ASSERT_TRUE(open(true, &sink));
    EXPECT_EQ(sink.heard, (std::vector<std::string>{"InitDialog", "FolderChange /home", "FolderChange /data",
                                                    "TypeChange 2", "FileChange /data/a.csv", "ConfirmOK /data/a.csv",
                                                    "FileChange /data/b.csv", "ConfirmOK /data/b.csv", "DialogClose"}));
    EXPECT_EQ(std::make_tuple(name, title, filter, index, flags),
              std::make_tuple("/data/b.csv", "b.csv", "CSV", 2L, 0x80000L | 0x1000 | 0x20));

    // The caller's hook bit asks for nothing; without a hook the sink hears nothing.
    sink.heard.clear(), flags = 0x80000 | 0x20;
    prompts.ChooseFile("/data/c.csv");
    ASSERT_TRUE(open(false, &sink));
    EXPECT_EQ(std::make_tuple(sink.heard.size(), flags), std::make_tuple(0u, 0x80000L | 0x1000));
}

TEST(CommonDialog, FileTitleIsTheNameWhileItFitsTheBuffer) {
    clsCommonDialog dialog;
    EXPECT_EQ(dialog.VBGetFileTitle("/d/" + std::string(259, 'a')), std::string(259, 'a'));
    EXPECT_EQ(dialog.VBGetFileTitle("/d/" + std::string(260, 'a')), "");
    EXPECT_EQ(dialog.APIReturn(), 261);
}

TEST(FileDialog, CancelEmptiesTheAnswersAndColonSplitsTheFilter) {
    TempHome home;
    ScriptedPrompts prompts;
    clsCommonDialog dialog;
    std::string name = "x", title, filter = "Database (*.mdb)|*.mdb";
    long index = 1;
    bool readOnly = false;
    prompts.ChooseFile("");
    EXPECT_FALSE(dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index));
    EXPECT_EQ(std::tie(name, filter, index), std::make_tuple("", "", -1));
    filter = "Text:*.txt|CSV|*.csv";
    index = 2;
    prompts.ChooseFile("/data/tags.csv");
    ASSERT_TRUE(dialog.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index));
    EXPECT_EQ(prompts.shown().back().text, "Text|*.txt|CSV|*.csv");
    EXPECT_EQ(std::tie(name, title, filter), std::make_tuple("/data/tags.csv", "tags.csv", "CSV"));
}
