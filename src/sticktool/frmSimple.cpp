#include "sticktool/frmSimple.h"

#include <QCloseEvent>

#include "core/modCommon.h"
#include "platform/Program.h"

frmSimple& frmSimple::Instance() { return DefaultInstance<frmSimple>::Get(); }

frmSimple::frmSimple() { Form_Load(); }

QString frmSimple::DesignCaption() {
    return QString::fromStdString(Program::ExecutableName() + " v" + modCommon::ProgramVersion());
}

void frmSimple::Form_Load() {
    modCommon::SetFormIcon(this);
    setWindowTitle(DesignCaption());
    resize(480, 360);
}

void frmSimple::closeEvent(QCloseEvent* event) { event->accept(); }
