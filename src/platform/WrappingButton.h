#pragma once
#include <QPushButton>

// A push button whose caption wraps onto as many lines as its width needs, as the old
// buttons' captions did; text() stays the caption as given. It is never a default button.
class WrappingButton : public QPushButton {
public:
    explicit WrappingButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
