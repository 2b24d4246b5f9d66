#include "devices/StickConfigRowsBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>

#include "widgets/DesignGeometry.h"

namespace {

constexpr int kRowPitch = 420;  // twips
constexpr int kRowMargin = 30;  // below the last row
const char* const kTag = "Tag";

using DesignGeometry::Pixels;

void ShowInvalid(QWidget* editor) {
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, Qt::red);
    palette.setColor(QPalette::ButtonText, Qt::red);
    editor->setPalette(palette);
}

}  // namespace

StickConfigRowsBox::StickConfigRowsBox(QWidget* parent) : QWidget(parent) {
    picInner = new QWidget(this);
    fsbVScroll = new QScrollBar(Qt::Vertical, this);
    lblConfig.push_back(new QLabel(picInner));
    txbConfig.push_back(new QLineEdit(picInner));
    cboConfig.push_back(new QComboBox(picInner));
    lblConfig[0]->hide();
    txbConfig[0]->hide();
    cboConfig[0]->hide();
}

void StickConfigRowsBox::Layout() {
    const int scrollWidth = fsbVScroll->sizeHint().width();
    fsbVScroll->setGeometry(width() - scrollWidth, 0, scrollWidth, height());
    picInner->setGeometry(0, 0, width() - scrollWidth, height());
    const int innerWidth = picInner->width();
    lblConfig[0]->setGeometry(Pixels(90), Pixels(60), innerWidth * 60 / 100, Pixels(360));
    txbConfig[0]->setGeometry(innerWidth * 62 / 100, Pixels(60), innerWidth * 36 / 100, Pixels(360));
    cboConfig[0]->setGeometry(txbConfig[0]->geometry());
}

bool StickConfigRowsBox::ShowRows(const std::vector<StickConfigEditor::RowDisplay>& rows) {
    std::vector<ShownRow> shown;
    for (const StickConfigEditor::RowDisplay& row : rows) AddRow(row, shown);
    return LayOutRows(shown);
}

// A row's label and its text box or list, from the templates; a wrong value read from the
// stick shows its item's default, in red.
void StickConfigRowsBox::AddRow(const StickConfigEditor::RowDisplay& display, std::vector<ShownRow>& shown) {
    auto* label = new QLabel(picInner);
    label->setGeometry(lblConfig[0]->geometry());
    label->hide();
    QWidget* editor = nullptr;
    if (display.row.kind == 'L') {
        auto* list = new QComboBox(picInner);
        cboConfig.push_back(list);
        const int index = display.row.index;
        connect(list, &QComboBox::currentIndexChanged, this, [this, index] { emit ListChanged(index); });
        for (const modStickReader::StickConfigChoice& choice : display.choices)
            list->addItem(QString::fromStdString(choice.label), QVariant::fromValue<long long>(choice.value));
        list->setCurrentIndex(display.selected);
        list->setEnabled(!display.locked);
        editor = list;
    } else {
        auto* text = new QLineEdit(picInner);
        txbConfig.push_back(text);
        text->setText(QString::fromStdString(display.text));
        text->setReadOnly(display.locked);
        editor = text;
    }
    editor->setGeometry(txbConfig[0]->geometry());
    editor->hide();
    editor->setProperty(kTag, QVariant::fromValue<long long>(display.row.position));
    lblConfig.push_back(label);
    if (!display.valid) ShowInvalid(editor);
    if (!display.shown) return;
    label->setText(QString::fromStdString(display.caption));
    shown.push_back({display.id, label, editor});
}

// The rows on show one under another by item id, the inner box as tall as they need and the
// scroll bar moving it over what the box cannot show.
bool StickConfigRowsBox::LayOutRows(std::vector<ShownRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    int top = lblConfig[0]->y();
    int bottom = top;
    for (const ShownRow& row : rows) {
        row.label->move(lblConfig[0]->x(), top);
        row.editor->move(txbConfig[0]->x(), top);
        row.label->show();
        row.editor->show();
        bottom = top + txbConfig[0]->height();
        top += Pixels(kRowPitch);
    }
    picInner->setGeometry(0, 0, picInner->width(), bottom + Pixels(kRowMargin));
    const int over = picInner->height() - height();
    fsbVScroll->setRange(0, std::max(0, over));
    fsbVScroll->setPageStep(height());
    fsbVScroll->setSingleStep(Pixels(kRowPitch));
    fsbVScroll->setValue(0);
    fsbVScroll->setEnabled(over > 0);
    return over > 0;
}

void StickConfigRowsBox::Clear() {
    auto clear = [](auto& controls) {
        for (size_t i = 1; i < controls.size(); ++i) delete controls[i];
        controls.resize(1);
    };
    clear(lblConfig);
    clear(txbConfig);
    clear(cboConfig);
    fsbVScroll->setValue(0);
}

QComboBox* StickConfigRowsBox::ListAt(long position) const {
    for (size_t i = 1; i < cboConfig.size(); ++i)
        if (PositionOf(cboConfig[i]) == position) return cboConfig[i];
    return nullptr;
}

long StickConfigRowsBox::PositionOf(const QWidget* editor) {
    return static_cast<long>(editor->property(kTag).toLongLong());
}

std::optional<long> StickConfigRowsBox::SelectedValue(const QComboBox* list) {
    if (list->currentIndex() < 0) return std::nullopt;
    return static_cast<long>(list->currentData().toLongLong());
}
