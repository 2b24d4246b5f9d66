#pragma once
#include <QPushButton>

// A push button whose caption wraps onto as many lines as its width needs, as the old
// buttons' captions did; text() stays the caption as given. It is never a default button.
// Its height for a width is what its wrapped caption needs there.
class WrappingButton : public QPushButton {
public:
    explicit WrappingButton(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;  // as wide as the caption's widest word
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The caption's rectangle inside the button, and the way it is drawn there.
    static constexpr int kMarginX = 4, kMarginY = 2;
    int Flags() const;
};
