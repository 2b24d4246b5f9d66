#include "corewindows/JobDialog.h"

#include <QCloseEvent>
#include <QShowEvent>

void JobDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void JobDialog::closeEvent(QCloseEvent* event) {
    if (jobs_.RefuseClose(event)) return;
    event->accept();
    Form_Unload();
}

void JobDialog::reject() {
    if (!jobs_.RefuseClose()) Form_Unload();
}
