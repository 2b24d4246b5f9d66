#pragma once
#include <QDialog>

#include "core/JobGuard.h"

// A window that loads itself when it is first shown and that, while a job of its own runs (a
// device or network exchange, marked with a JobGuard::Job on jobs_), refuses to be closed by
// its close button or Escape; otherwise either unloads it.
class JobDialog : public QDialog {
    Q_OBJECT
public:
    // Runs once, when the window is first shown.
    virtual void Form_Load() = 0;
    // Lets the window go.
    virtual void Form_Unload() = 0;

protected:
    explicit JobDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // refused while a job runs
    void reject() override;                        // Escape, the same

    JobGuard jobs_;

private:
    bool loaded_ = false;
};
