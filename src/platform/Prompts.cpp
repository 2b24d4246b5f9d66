#include "platform/Prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStringList>

namespace {

std::string& AppTitle() {
    static std::string title = "Kelvo";
    return title;
}

QString Title(const std::string& title) {
    return QString::fromStdString(title.empty() ? AppTitle() : title);
}

// "Description|*.a;*.b|..." as the desktop dialog's filter list.
QString QtFilter(const std::string& filter, int index, QString* selected) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << parts[i] + " (" + patterns + ")";
        if (i / 2 + 1 == index && selected) *selected = out.back();
    }
    return out.join(";;");
}

int IndexOf(const QString& all, const QString& chosen) {
    QStringList list = all.split(";;");
    int i = static_cast<int>(list.indexOf(chosen));
    return i < 0 ? 1 : i + 1;
}

// Qt's file dialog telling a hook what the keeper does in it. OK on a file is put to the hook
// first; OK on a folder enters it, as the dialog does, without asking.
class HookedQtFileDialog : public QFileDialog {
public:
    HookedQtFileDialog(const QString& title, const QString& start, const QString& filter,
                       Prompts::HookedFileDialog& events)
        : QFileDialog(QApplication::activeWindow(), title, start, filter), events_(events) {
        // Qt's own dialog when there is a hook: a desktop's native one tells nothing of what
        // happens inside it.
        if (events.Hooked()) setOption(QFileDialog::DontUseNativeDialog);
        connect(this, &QFileDialog::directoryEntered, [this](const QString& folder) { events_.FolderChanged(folder.toStdString()); });
        connect(this, &QFileDialog::currentChanged, [this](const QString& path) { events_.FileChanged(path.toStdString()); });
        connect(this, &QFileDialog::filterSelected, [this, filter](const QString& chosen) { events_.TypeChanged(IndexOf(filter, chosen)); });
    }

    void accept() override {
        const QStringList files = selectedFiles();
        const bool folder = !files.isEmpty() && QFileInfo(files.front()).isDir();
        if (!folder && !events_.OKPressed(files.isEmpty() ? "" : files.front().toStdString())) return;
        QFileDialog::accept();
        if (folder) events_.FolderChanged(directory().absolutePath().toStdString());
    }

private:
    Prompts::HookedFileDialog& events_;
};

class DesktopHandler : public Prompts::Handler {
public:
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(Title(title));
        box.setText(QString::fromStdString(text));
        switch (style & 0x70) {
            case Prompts::Critical: box.setIcon(QMessageBox::Critical); break;
            case Prompts::Question: box.setIcon(QMessageBox::Question); break;
            case Prompts::Exclamation: box.setIcon(QMessageBox::Warning); break;
            case Prompts::Information: box.setIcon(QMessageBox::Information); break;
            default: box.setIcon(QMessageBox::NoIcon);
        }
        struct B { QMessageBox::StandardButton qt; int answer; };
        std::vector<B> buttons;
        switch (style & 0x7) {
            case Prompts::OKCancel: buttons = {{QMessageBox::Ok, Prompts::OK}, {QMessageBox::Cancel, Prompts::Cancel}}; break;
            case Prompts::AbortRetryIgnore: buttons = {{QMessageBox::Abort, Prompts::Abort}, {QMessageBox::Retry, Prompts::Retry}, {QMessageBox::Ignore, Prompts::Ignore}}; break;
            case Prompts::YesNoCancel: buttons = {{QMessageBox::Yes, Prompts::Yes}, {QMessageBox::No, Prompts::No}, {QMessageBox::Cancel, Prompts::Cancel}}; break;
            case Prompts::YesNo: buttons = {{QMessageBox::Yes, Prompts::Yes}, {QMessageBox::No, Prompts::No}}; break;
            case Prompts::RetryCancel: buttons = {{QMessageBox::Retry, Prompts::Retry}, {QMessageBox::Cancel, Prompts::Cancel}}; break;
            default: buttons = {{QMessageBox::Ok, Prompts::OK}};
        }
        QMessageBox::StandardButtons all;
        for (auto& b : buttons) all |= b.qt;
        box.setStandardButtons(all);
        std::size_t def = (style & Prompts::DefaultButton3) ? 2 : (style & Prompts::DefaultButton2) ? 1 : 0;
        if (def < buttons.size()) box.setDefaultButton(buttons[def].qt);
        int result = box.exec();
        for (auto& b : buttons)
            if (b.qt == result) return b.answer;
        return buttons.size() == 1 ? Prompts::OK : Prompts::Cancel;
    }

    bool InputBox(const std::string& text, const std::string& title, std::string& answer,
                  bool masked) override {
        bool ok = false;
        QString r = QInputDialog::getText(QApplication::activeWindow(), Title(title),
                                          QString::fromStdString(text),
                                          masked ? QLineEdit::Password : QLineEdit::Normal,
                                          QString::fromStdString(answer), &ok);
        if (ok) answer = r.toStdString();
        return ok;
    }

    bool OpenFile(Prompts::FileDialog& d) override { return Run(d, false); }
    bool SaveFile(Prompts::FileDialog& d) override { return Run(d, true); }

private:
    static bool Run(Prompts::FileDialog& d, bool save) {
        QString selected;
        QString filter = QtFilter(d.filter, d.filterIndex, &selected);
        QString start = QString::fromStdString(d.initialDir);
        if (!d.fileName.empty()) start = start.isEmpty() ? QString::fromStdString(d.fileName)
                                                         : start + "/" + QString::fromStdString(d.fileName);
        Prompts::HookedFileDialog events(d.hook, d.filterIndex);
        HookedQtFileDialog dialog(QString::fromStdString(d.title), start, filter, events);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Qt takes several files only when they exist.
        dialog.setFileMode(save            ? QFileDialog::AnyFile
                           : d.multiSelect ? QFileDialog::ExistingFiles
                           : d.fileMustExist ? QFileDialog::ExistingFile
                                             : QFileDialog::AnyFile);
        if (!selected.isEmpty()) dialog.selectNameFilter(selected);
        if (!d.defaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(d.defaultExt));
        if (save && !d.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
        events.Open(&dialog, dialog.directory().absolutePath().toStdString());
        const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        events.Close();
        d.fileNames.clear();
        d.fileName.clear();
        if (!accepted) return false;
        for (const QString& file : dialog.selectedFiles()) d.fileNames.push_back(file.toStdString());
        d.fileName = d.fileNames.front();
        d.filterIndex = IndexOf(filter, dialog.selectedNameFilter());
        return true;
    }

    bool ChooseColor(QColor& color) override {
        // Qt's own dialog, whose custom colour slots are the ones the caller's table fills.
        QColorDialog dialog(color, QApplication::activeWindow());
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted) return false;
        color = dialog.selectedColor();
        return true;
    }

    bool ChooseFont(QFont& font) override {
        QFontDialog dialog(font, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted) return false;
        font = dialog.selectedFont();
        return true;
    }

    bool PageSetup(QPrinter& printer, const std::string& title) override {
        QPageSetupDialog dialog(&printer, QApplication::activeWindow());
        if (!title.empty()) dialog.setWindowTitle(QString::fromStdString(title));
        return dialog.exec() == QDialog::Accepted;
    }
};

bool DesktopPrintDialog(QPrinter& printer, const std::string& title) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (!title.empty()) dialog.setWindowTitle(QString::fromStdString(title));
    return dialog.exec() == QDialog::Accepted;
}

// Opens at full size (100 percent), the pages drawn by `paint`.
void DesktopPrintPreview(QPrinter& printer, const Prompts::PaintPages& paint, const std::string& title) {
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    if (!title.empty()) dialog.setWindowTitle(QString::fromStdString(title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [&paint](QPrinter* target) { paint(*target); });
    if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) {
        pages->setZoomMode(QPrintPreviewWidget::CustomZoom);
        pages->setZoomFactor(1.0);
    }
    dialog.resize(1000, 750);
    dialog.exec();
}

Prompts::PrintPreviewHandler& CurrentPrintPreview() {
    static Prompts::PrintPreviewHandler handler = DesktopPrintPreview;
    return handler;
}

Prompts::PrintDialogHandler& CurrentPrintDialog() {
    static Prompts::PrintDialogHandler handler = DesktopPrintDialog;
    return handler;
}

std::unique_ptr<Prompts::Handler>& Current() {
    static std::unique_ptr<Prompts::Handler> handler = std::make_unique<DesktopHandler>();
    return handler;
}

}  // namespace

namespace Prompts {

std::unique_ptr<Handler> SetHandler(std::unique_ptr<Handler> handler) {
    if (!handler) handler = std::make_unique<DesktopHandler>();
    std::swap(Current(), handler);
    return handler;
}

int MsgBox(const std::string& text, int style, const std::string& title) {
    return Current()->MsgBox(text, style, title);
}

std::string InputBox(const std::string& text, const std::string& title,
                     const std::string& defaultText, bool masked) {
    std::string answer = defaultText;
    return Current()->InputBox(text, title, answer, masked) ? answer : std::string();
}

bool GetOpenFileName(FileDialog& dialog) {
    bool ok = Current()->OpenFile(dialog);
    if (!ok) dialog.fileName.clear();
    return ok && !dialog.fileName.empty();
}

bool GetSaveFileName(FileDialog& dialog) {
    bool ok = Current()->SaveFile(dialog);
    if (!ok) dialog.fileName.clear();
    return ok && !dialog.fileName.empty();
}

bool ChooseColor(ColorDialog& dialog) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, dialog.customColors[i]);
    const bool chosen = Current()->ChooseColor(dialog.color);
    for (int i = 0; i < 16; ++i) dialog.customColors[i] = QColorDialog::customColor(i);
    return chosen;
}

bool ChooseFont(QFont& font) { return Current()->ChooseFont(font); }

bool PageSetup(QPrinter& printer, const std::string& title) { return Current()->PageSetup(printer, title); }

bool PrintDialog(QPrinter& printer, const std::string& title) {
    return CurrentPrintDialog()(printer, title);
}

PrintDialogHandler SetPrintDialog(PrintDialogHandler handler) {
    if (!handler) handler = DesktopPrintDialog;
    std::swap(CurrentPrintDialog(), handler);
    return handler;
}

void PrintPreview(QPrinter& printer, const PaintPages& paint, const std::string& title) {
    CurrentPrintPreview()(printer, paint, title);
}

PrintPreviewHandler SetPrintPreview(PrintPreviewHandler handler) {
    if (!handler) handler = DesktopPrintPreview;
    std::swap(CurrentPrintPreview(), handler);
    return handler;
}

void SetApplicationTitle(const std::string& title) { AppTitle() = title; }
const std::string& ApplicationTitle() { return AppTitle(); }

}  // namespace Prompts
