#pragma once
#include <QApplication>
#include <QPointer>
#include <QWidget>

// The hourglass for as long as it lives, however the work under it ends (a failure the
// procedure traps included); given a window, the window takes no input meanwhile either.
// Pointers nest: the hourglass goes with the last of them.
class WaitPointer {
public:
    WaitPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    explicit WaitPointer(QWidget* window) : WaitPointer() {
        window_ = window;
        window->setEnabled(false);
    }
    ~WaitPointer() {
        QApplication::restoreOverrideCursor();
        if (window_) window_->setEnabled(true);
    }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

private:
    QPointer<QWidget> window_;
};
