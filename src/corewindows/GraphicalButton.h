#pragma once
#include <QPushButton>

// A command button that shows pictures instead of its own face: its "Picture" property
// (a QPixmap) normally and its "DownPicture" property while pressed, framed as a button, with a
// ring of dashes inside the frame while it has the focus.
// Without pictures it looks like any push button. It is never a window's default button:
// Enter presses it only when it has the focus, as Space does.
class GraphicalButton : public QPushButton {
    Q_OBJECT
public:
    explicit GraphicalButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
