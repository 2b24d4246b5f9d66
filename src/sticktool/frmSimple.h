#pragma once
#include <QWidget>

#include "core/DefaultInstance.h"

// The stick tool window of the simple and engineering editions.
class frmSimple : public QWidget {
    Q_OBJECT
public:
    static frmSimple& Instance();  // the single default instance, loaded on first use

    // The caption the window gives itself: the program's name, " v" and the version.
    static QString DesignCaption();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class DefaultInstance<frmSimple>;
    frmSimple();
    void Form_Load();
};
