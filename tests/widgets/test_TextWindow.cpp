#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScreen>
#include <QTest>

#include "fixtures/ScratchHome.h"
#include "fixtures/ScriptedPrompts.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TextWindow.h"

namespace {

class TextWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (TextWindow* w : TextWindow::OpenWindows()) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Prompts::SetPrintDialog(nullptr);
    }
    ScratchHome home;
};

}  // namespace

TEST_F(TextWindowTest, OpensOverItsOpenerWithinTheScreenAndOutlivesIt) {
    auto* opener = new QWidget;
    opener->setGeometry(300, 200, 900, 700);
    opener->show();
    TextWindow* first = TextWindow::Open("Tag import 01/02/2024 for group A ", opener, {7500, 6000}, "UK 1\r\n");
    TextWindow* second = TextWindow::Open("Help", opener, {7500, 6000}, "", 1);
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_TRUE(opener->frameGeometry().contains(first->frameGeometry())) << "over the middle of its opener";
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), second) << "the last one opened has the keyboard";
    const QPoint step = second->pos() - first->pos();
    EXPECT_TRUE(step.x() > 0 && step.y() > step.x()) << "one title bar down";
    opener->move(1500, 900);  // near the screen's corner: the window stays on the screen
    TextWindow* third = TextWindow::Open("Help", opener, {13500, 7125});
    QApplication::processEvents();
    EXPECT_TRUE(third->screen()->availableGeometry().contains(third->frameGeometry()));
    delete opener;
    QApplication::processEvents();

    ASSERT_EQ(TextWindow::OpenWindows(), (std::vector<TextWindow*>{first, second, third}));
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle().toStdString(), "Tag import 01/02/2024 for group A ");
    EXPECT_EQ(first->size(), QSize(DesignGeometry::Pixels(7500), DesignGeometry::Pixels(6000)));
    EXPECT_EQ(first->Text(), "UK 1\r\n");
    EXPECT_FALSE(first->Editor()->isReadOnly());

    QApplication::setActiveWindow(first);
    QTest::keyClick(first->Editor(), Qt::Key_Escape);
    QApplication::setActiveWindow(second);
    QTest::keyClick(second->Editor(), Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(TextWindow::OpenWindows(), (std::vector<TextWindow*>{third}));
}

TEST_F(TextWindowTest, TextGoesInAtTheCaretAndSavesAsUtf8WithCrLf) {
    TextWindow* w = TextWindow::Open("Tags", nullptr, {7500, 6000}, "UK 123456 700045\r\n");
    w->InsertText("Zoë\nTotal: 2\r\n");
    EXPECT_EQ(w->Text(), "UK 123456 700045\r\nZoë\r\nTotal: 2\r\n");
    EXPECT_FALSE(w->Editor()->document()->isUndoAvailable());

    ScriptedPrompts prompts;
    std::string path = home.root() + "/tags.txt";
    prompts.ChooseFile(path).ChooseFile("").ChooseFile(home.root() + "/missing/tags.txt").Answer(Prompts::OK);
    EXPECT_TRUE(w->SaveAs());
    EXPECT_EQ(FileSystem::ReadAll(path), "UK 123456 700045\r\nZo\xC3\xAB\r\nTotal: 2\r\n");
    EXPECT_EQ(prompts.shown().at(0).title, "Save As");
    EXPECT_FALSE(w->SaveAs()) << "cancelled";
    EXPECT_FALSE(w->SaveAs()) << "a folder that does not exist";
    EXPECT_NE(prompts.LastText().find("missing/tags.txt"), std::string::npos);
    EXPECT_TRUE(prompts.Done());
}

TEST_F(TextWindowTest, PrintsWhereThePrintDialogSays) {
    TextWindow* w = TextWindow::Open("Tags", nullptr, {7500, 6000}, "UK 123456 700045\r\nTotal: 1");
    std::string pdf = home.root() + "/tags.pdf";
    std::string askedTitle;
    Prompts::SetPrintDialog([&](QPrinter& printer, const std::string& title) {
        askedTitle = title;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    });
    EXPECT_TRUE(w->Print());
    EXPECT_EQ(askedTitle, "Print");
    EXPECT_EQ(FileSystem::ReadAll(pdf).substr(0, 5), "%PDF-");
    FileSystem::Remove(pdf);

    Prompts::SetPrintDialog([&](QPrinter& printer, const std::string&) {
        printer.setOutputFileName(QString::fromStdString(pdf));
        return false;
    });
    EXPECT_FALSE(w->Print());
    EXPECT_FALSE(FileSystem::Exists(pdf)) << "cancelled: nothing printed";
}
