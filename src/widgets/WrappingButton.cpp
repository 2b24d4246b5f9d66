#include "widgets/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include "widgets/WindowRules.h"

WrappingButton::WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    WindowRules::MakeNoDefault(this);
}

// "&&" shows one "&", and a shortcut letter is underlined where the style says, as on any button.
int WrappingButton::Flags() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this);
    return Qt::AlignCenter | Qt::TextWordWrap | (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
}

QSize WrappingButton::sizeHint() const {
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    return {caption.width() + 2 * kMarginX, caption.height() + 2 * kMarginY};
}

QSize WrappingButton::minimumSizeHint() const {
    int widest = 0;
    for (const QString& word : text().split(' ', Qt::SkipEmptyParts))
        widest = std::max(widest, fontMetrics().size(Qt::TextShowMnemonic, word).width());
    return {widest + 2 * kMarginX + 1, heightForWidth(widest + 2 * kMarginX + 1)};
}

int WrappingButton::heightForWidth(int width) const {
    const QRect room(0, 0, std::max(1, width - 2 * kMarginX), 1 << 20);
    return fontMetrics().boundingRect(room, Flags(), text()).height() + 2 * kMarginY;
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const int shift = isDown() ? 1 : 0;
    painter.drawText(rect().adjusted(kMarginX + shift, kMarginY + shift, -kMarginX + shift, -kMarginY + shift), Flags(),
                     text());
}
