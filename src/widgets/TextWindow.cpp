#include "widgets/TextWindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "widgets/DesignGeometry.h"

namespace {

std::vector<TextWindow*>& Windows() {
    static std::vector<TextWindow*> windows;
    return windows;
}

}  // namespace

TextWindow::TextWindow() : editor_(new QPlainTextEdit(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCentralWidget(editor_);
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
    file->addAction(tr("&Print..."), QKeySequence::Print, this, [this] { Print(); });
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    for (QKeySequence key : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        if (!keys.contains(key)) keys << key;
    close->setShortcuts(keys);
    Windows().push_back(this);
}

TextWindow::~TextWindow() {
    auto& all = Windows();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

TextWindow* TextWindow::Open(const std::string& title, const QWidget* owner, QSize size, const std::string& text,
                             int cascade) {
    auto* window = new TextWindow;
    // A modal window keeps the keyboard from every window but its own: one opened from it is its
    // own, and goes with it.
    if (QWidget* modal = QApplication::activeModalWidget()) window->setParent(modal, window->windowFlags());
    window->setWindowTitle(QString::fromStdString(title));
    window->InsertText(text);
    window->resize(DesignGeometry::Pixels(size.width()), DesignGeometry::Pixels(size.height()));
    if (owner) {
        DesignGeometry::CentreOver(window, owner->window());
    } else {
        const QRect area = DesignGeometry::ScreenArea(window);
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    DesignGeometry::KeepOnScreen(window);
    const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const QPoint step(border, DesignGeometry::TitleBarHeight(window) + border);
    window->move(window->pos() + cascade * step);
    DesignGeometry::KeepOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
    window->editor_->setFocus();
    return window;
}

std::vector<TextWindow*> TextWindow::OpenWindows() { return Windows(); }

void TextWindow::InsertText(const std::string& text) {
    QTextDocument* document = editor_->document();
    document->setUndoRedoEnabled(false);
    editor_->textCursor().insertText(QString::fromStdString(text));
    document->setUndoRedoEnabled(true);
}

std::string TextWindow::Text() const {
    QString text = editor_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text.toStdString();
}

bool TextWindow::SaveAs() {
    Prompts::FileDialog dialog;
    dialog.title = "Save As";
    dialog.filter = "Text Documents (*.txt)|*.txt|All Files (*.*)|*.*";
    dialog.defaultExt = "txt";
    dialog.overwritePrompt = true;
    if (!Prompts::GetSaveFileName(dialog)) return false;
    try {
        SaveTo(dialog.fileName);
        return true;
    } catch (const RuntimeError& e) {
        Prompts::MsgBox(e.description, Prompts::OKOnly | Prompts::Exclamation, "Save As");
        return false;
    }
}

void TextWindow::SaveTo(const std::string& path) const { TextFile::Replace(path, Text()); }

bool TextWindow::Print() {
    QPrinter printer;
    if (!Prompts::PrintDialog(printer, "Print")) return false;
    PrintTo(printer);
    return true;
}

void TextWindow::PrintTo(QPrinter& printer) const { editor_->print(&printer); }
