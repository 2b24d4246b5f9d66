#include "platform/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WrappingButton::WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    setDefault(false);
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const int shift = isDown() ? 1 : 0;
    // "&&" shows one "&", and a shortcut letter is underlined where the style says, as on any button.
    const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic
                                                                                          : Qt::TextHideMnemonic;
    painter.drawText(rect().adjusted(4 + shift, 2 + shift, -4 + shift, -2 + shift),
                     Qt::AlignCenter | Qt::TextWordWrap | mnemonic, text());
}
