#include "devices/DeviceDialog.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/clsKRComm.h"
#include "platform/Program.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

DeviceDialog::DeviceDialog() : JobDialog(nullptr) {
    tmrInitialise = new QTimer(this);
    tmrUnload = new QTimer(this);
    for (QTimer* timer : {tmrInitialise, tmrUnload}) {
        timer->setSingleShot(true);
        timer->setInterval(1);
    }
    connect(tmrUnload, &QTimer::timeout, this, [this] { tmrUnload_Timer(); });
}

void DeviceDialog::ShowOver(QWidget* owner) {
    if (owner) setParent(owner, windowFlags() | Qt::Dialog);
    setWindowModality(Qt::WindowModal);
    show();
}

void DeviceDialog::Pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(Program::ScaledMs(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

int DeviceDialog::FillPortList(QComboBox* list, int deviceIndex) {
    const long lastUsed = modCommon::GetLastUsedComPort(deviceIndex);
    int match = -1;
    for (const clsKRComm::SerialPortEntry& entry : clsKRComm::EnumSerialPorts()) {
        const long number = clsKRComm::PortNumber(entry);
        list->addItem(QString::fromStdString(entry[1]), QVariant::fromValue<long long>(number));
        if (number == lastUsed) match = list->count() - 1;
    }
    return match;
}

bool DeviceDialog::StartUnload(clsKRComm& port) {
    if (unloading_) return false;
    unloading_ = true;
    tmrInitialise->stop();
    tmrUnload->stop();
    if (port.IsOpen()) port.CommClose(0);
    return true;
}

void DeviceDialog::FinishUnload() {
    done(QDialog::Rejected);
    if (modCommon::EditionCode == modCommon::FullEdition) modMainWindowServices::StartZOrderTimer();
}

QPushButton* DeviceDialog::Button(const char* caption, QWidget* parent, QRect twips) {
    auto* button = new QPushButton(caption, parent);
    WindowRules::MakeNoDefault(button);
    DesignGeometry::Place(button, twips);
    return button;
}

QLabel* DeviceDialog::HelpLabel(QWidget* parent, QRect twips) {
    auto* label = new QLabel(parent);
    DesignGeometry::Place(label, twips);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void DeviceDialog::MakeRoomForTexts(const std::vector<QWidget*>& frames, const std::vector<Group>& rows) {
    using namespace DesignGeometry;
    for (QWidget* control : findChildren<QWidget*>()) GrowToText(control);
    for (const Group& row : rows) {
        std::vector<Group> columns;
        for (QWidget* control : row) columns.push_back({control});
        StackColumns(columns, 150);
    }
    QSize frame;
    for (QWidget* step : frames) {
        HoldChildren(step, 180);
        frame = frame.expandedTo(step->size());
    }
    for (QWidget* step : frames) step->resize(frame);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    HoldChildren(this, 120);
    setFixedSize(size());
}

void DeviceDialog::tmrUnload_Timer() {
    tmrUnload->stop();
    if (jobs_.Running()) {
        tmrUnload->start();
        return;
    }
    Form_Unload();
}
