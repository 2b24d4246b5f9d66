#include "widgets/DesktopPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

#include "widgets/DesignGeometry.h"

namespace {

QString Title(const std::string& title) {
    return QString::fromStdString(title.empty() ? Prompts::ApplicationTitle() : title);
}

// A box's text as its label shows it: lines end in a line feed alone.
QString Shown(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

// A box as wide as its title needs: what the window manager's title bar needs is known for sure
// once the box is framed (before, from the program's other windows), so a box that learns it
// then fits itself again, and stays centred where it stood.
template <class Box>
class TitledBox : public Box {
public:
    using Box::Box;
    virtual void FitToText() {}

protected:
    int fittedBar_ = 0;

    bool event(QEvent* event) override {
        const bool handled = Box::event(event);
        if (event->type() == QEvent::LayoutRequest) FitToText();
        if ((event->type() == QEvent::Move || event->type() == QEvent::WindowActivate) &&
            DesignGeometry::TitleBarHeight(this) != fittedBar_) {
            const int before = this->width();
            FitToText();
            if (this->width() != before) this->move(this->x() - (this->width() - before) / 2, this->y());
        }
        if (event->type() == QEvent::Move) KeepTitleOnScreen();
        return handled;
    }

private:
    // A box placed before the window manager framed it may find its title bar above the screen
    // once the frame is known: the title is what the keeper must read, so it comes down.
    void KeepTitleOnScreen() {
        const QRect area = DesignGeometry::ScreenArea(this);
        if (!area.isEmpty() && this->frameGeometry().top() < area.top()) this->move(this->x(), area.top());
    }
};

// The desktop's message box, as wide as its title and its text's longest line, whatever Qt's
// own rule (at most 500 pixels, then wrapped) makes of it.
class MessageBox : public TitledBox<QMessageBox> {
public:
    explicit MessageBox(QWidget* parent) : TitledBox(parent) {}

    void FitToText() override {
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!label || !layout()) return;
        label->setWordWrap(false);
        layout()->activate();
        const int room = DesignGeometry::ScreenArea(this).width() * 9 / 10;
        fittedBar_ = DesignGeometry::TitleBarHeight(this);
        int width = std::max(layout()->totalMinimumSize().width(), DesignGeometry::TitleWidth(this, windowTitle()));
        if (width > room) {
            label->setWordWrap(true);
            width = room;
        }
        layout()->activate();
        const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                         : layout()->totalMinimumSize().height();
        setFixedSize(width, height);
        layout()->setGeometry(rect());
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        FitToText();
    }
};

// The desktop's input box, as wide as its title and the answer it proposes, as far as the
// screen allows; a longer prompt wraps.
class AnswerBox : public TitledBox<QInputDialog> {
public:
    explicit AnswerBox(QWidget* parent) : TitledBox(parent) {}

    void FitToText() override {
        if (!layout()) return;
        auto* prompt = findChild<QLabel*>();
        if (prompt) prompt->setWordWrap(false);
        layout()->activate();
        const QLineEdit* field = findChild<QLineEdit*>();
        const int answerWidth = width() - field->width() + DesignGeometry::TextBoxWidth(field, field->text());
        fittedBar_ = DesignGeometry::TitleBarHeight(this);
        const int wanted = std::max({sizeHint().width(), DesignGeometry::TitleWidth(this, windowTitle()), answerWidth});
        const int room = DesignGeometry::ScreenArea(this).width() * 9 / 10;
        if (prompt && wanted > room) {
            prompt->setWordWrap(true);
            layout()->activate();
        }
        const int width = std::min(wanted, room);
        resize(width,
               layout()->hasHeightForWidth() ? std::max(height(), layout()->totalHeightForWidth(width)) : height());
        layout()->setGeometry(rect());
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }
};

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
        connect(this, &QFileDialog::directoryEntered,
                [this](const QString& folder) { events_.FolderChanged(folder.toStdString()); });
        connect(this, &QFileDialog::currentChanged,
                [this](const QString& path) { events_.FileChanged(path.toStdString()); });
        connect(this, &QFileDialog::filterSelected,
                [this, filter](const QString& chosen) { events_.TypeChanged(IndexOf(filter, chosen)); });
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

struct Button {
    QMessageBox::StandardButton qt;
    int answer;
};

std::vector<Button> ButtonsOf(int style) {
    using namespace Prompts;
    switch (style & 0x7) {
        case OKCancel: return {{QMessageBox::Ok, OK}, {QMessageBox::Cancel, Cancel}};
        case AbortRetryIgnore:
            return {{QMessageBox::Abort, Abort}, {QMessageBox::Retry, Retry}, {QMessageBox::Ignore, Ignore}};
        case YesNoCancel: return {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}, {QMessageBox::Cancel, Cancel}};
        case YesNo: return {{QMessageBox::Yes, Yes}, {QMessageBox::No, No}};
        case RetryCancel: return {{QMessageBox::Retry, Retry}, {QMessageBox::Cancel, Cancel}};
        default: return {{QMessageBox::Ok, OK}};
    }
}

class DesktopHandler : public Prompts::Handler {
public:
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        const int result = Prompts::DesktopMessageBox(text, style, title)->exec();
        const std::vector<Button> buttons = ButtonsOf(style);
        for (const Button& b : buttons)
            if (b.qt == result) return b.answer;
        return buttons.size() == 1 ? Prompts::OK : Prompts::Cancel;
    }

    bool InputBox(const std::string& text, const std::string& title, std::string& answer, bool masked) override {
        const std::unique_ptr<QInputDialog> box = Prompts::DesktopInputBox(text, title, answer, masked);
        if (box->exec() != QDialog::Accepted) return false;
        answer = box->textValue().toStdString();
        return true;
    }

    bool OpenFile(Prompts::FileDialog& d) override { return Run(d, false); }
    bool SaveFile(Prompts::FileDialog& d) override { return Run(d, true); }

private:
    static bool Run(Prompts::FileDialog& d, bool save) {
        QStringList names;
        for (const std::string& name : Prompts::DesktopFilterNames(d.filter)) names << QString::fromStdString(name);
        const QString filter = names.join(";;");
        const QString selected = names.value(d.filterIndex - 1);
        // The proposed name in the dialog's folder, unless it names its own.
        const QString proposed = QString::fromStdString(d.fileName);
        QString start = QString::fromStdString(d.initialDir);
        if (!proposed.isEmpty())
            start = start.isEmpty() || proposed.startsWith('/') ? proposed : start + "/" + proposed;
        Prompts::HookedFileDialog events(d.hook, d.filterIndex);
        HookedQtFileDialog dialog(QString::fromStdString(d.title), start, filter, events);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Qt takes several files only when they exist.
        dialog.setFileMode(save              ? QFileDialog::AnyFile
                           : d.multiSelect   ? QFileDialog::ExistingFiles
                           : d.fileMustExist ? QFileDialog::ExistingFile
                                             : QFileDialog::AnyFile);
        if (!selected.isEmpty()) dialog.selectNameFilter(selected);
        if (!d.defaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(d.defaultExt));
        if (save && !d.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!d.places.empty()) {
            // Qt's own dialog: a desktop's native one takes no places of the program's.
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            QList<QUrl> places = dialog.sidebarUrls();
            for (const std::string& place : d.places) places << QUrl::fromLocalFile(QString::fromStdString(place));
            dialog.setSidebarUrls(places);
        }
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

    bool ChooseColor(Prompts::ColorDialog& d) override {
        return Prompts::WithCustomColors(d, [](QColor& color) {
            // Qt's own dialog, whose custom colour slots are the ones the caller's table fills.
            QColorDialog dialog(color, QApplication::activeWindow());
            dialog.setOption(QColorDialog::DontUseNativeDialog);
            if (dialog.exec() != QDialog::Accepted) return false;
            color = dialog.selectedColor();
            return true;
        });
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

}  // namespace

namespace Prompts {

std::vector<std::string> DesktopFilterNames(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    std::vector<std::string> names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1];
        const bool named =
            description.endsWith("(" + patterns + ")") || description.endsWith("(" + patterns.replace(';', ' ') + ")");
        names.push_back((named ? parts[i] : parts[i] + " (" + patterns + ")").toStdString());
    }
    return names;
}

std::unique_ptr<QMessageBox> DesktopMessageBox(const std::string& text, int style, const std::string& title) {
    auto box = std::make_unique<MessageBox>(QApplication::activeWindow());
    box->setWindowTitle(Title(title));
    box->setText(Shown(text));
    switch (style & 0x70) {
        case Critical: box->setIcon(QMessageBox::Critical); break;
        case Question: box->setIcon(QMessageBox::Question); break;
        case Exclamation: box->setIcon(QMessageBox::Warning); break;
        case Information: box->setIcon(QMessageBox::Information); break;
        default: box->setIcon(QMessageBox::NoIcon);
    }
    const std::vector<Button> buttons = ButtonsOf(style);
    QMessageBox::StandardButtons all;
    for (const Button& b : buttons) all |= b.qt;
    box->setStandardButtons(all);
    std::size_t def = (style & DefaultButton3) ? 2 : (style & DefaultButton2) ? 1 : 0;
    if (def < buttons.size()) box->setDefaultButton(buttons[def].qt);
    box->FitToText();
    return box;
}

std::unique_ptr<QInputDialog> DesktopInputBox(const std::string& text, const std::string& title,
                                              const std::string& answer, bool masked) {
    auto box = std::make_unique<AnswerBox>(QApplication::activeWindow());
    box->setWindowTitle(Title(title));
    box->setLabelText(Shown(text));
    box->setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    box->setTextValue(QString::fromStdString(answer));
    box->adjustSize();
    box->layout()->setGeometry(box->rect());
    box->FitToText();
    return box;
}

bool WithCustomColors(ColorDialog& dialog, const std::function<bool(QColor&)>& ask) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, dialog.customColors[i]);
    const bool chosen = ask(dialog.color);
    for (int i = 0; i < 16; ++i) dialog.customColors[i] = QColorDialog::customColor(i);
    return chosen;
}

void InstallDesktop() { SetDesktop(std::make_unique<DesktopHandler>(), DesktopPrintDialog, DesktopPrintPreview); }

}  // namespace Prompts
