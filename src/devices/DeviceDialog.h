#pragma once
#include <vector>

#include "corewindows/JobDialog.h"

class QComboBox;
class clsKRComm;
class QLabel;
class QPushButton;
class QTimer;

// What the device windows (the stick reader's and the phone's) share: shown window-modal over
// the main window, kept open while they talk to a handheld (JobDialog), the one-shot start-up
// and unload timers, pauses that keep the program's windows alive, their buttons
// and help labels, and their list of serial ports.
class DeviceDialog : public JobDialog {
    Q_OBJECT
public:
    QTimer* tmrInitialise;
    QTimer* tmrUnload;

    // The window goes only once the job that asked for it has ended.
    void tmrUnload_Timer();

    // Fills the list with the serial ports (port name, port number as item data); the index of
    // the one last used under the device index, or -1.
    static int FillPortList(QComboBox* list, int deviceIndex);

protected:
    DeviceDialog();

    // Shown window-modal over the owner without waiting for it: a disabled owner would disable
    // the window too, so the keeper's hands are kept off the owner this way instead.
    void ShowOver(QWidget* owner);
    // A fixed pause (time-scaled) that keeps the program's windows alive.
    void Pause(int milliseconds);

    // The unload in two halves, around the window's letting go of its default instance: the
    // first (false when the window is unloading already) stops the timers and closes the port,
    // the second closes the window and hands the main window back.
    bool StartUnload(clsKRComm& port);
    void FinishUnload();

    // A button or help label placed at its design place in twips.
    static QPushButton* Button(const char* caption, QWidget* parent, QRect twips);
    static QLabel* HelpLabel(QWidget* parent, QRect twips);
    // Once the captions are in the keeper's language: every control grows to its text, the
    // controls of each row given (left to right) make way for those left of them, the frames
    // (the steps, which share one place) grow alike to hold theirs, and the window holds them.
    using Group = std::vector<QWidget*>;
    void MakeRoomForTexts(const std::vector<QWidget*>& frames, const std::vector<Group>& rows);

    bool unloading_ = false;
};
