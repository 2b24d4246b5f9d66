#pragma once
#include <QCloseEvent>

// A window that runs a device or network job refuses to close until the job ends. The window
// holds one JobGuard, marks each job with a Job for the job's length, and asks RefuseClose in
// its closeEvent (and in reject, which Escape reaches without a close event); a dialog gets
// this from JobDialog:
//
//     void frmX::closeEvent(QCloseEvent* event) {
//         if (jobs_.RefuseClose(event)) return;
//         ...
//     }
//     void frmX::cmdGo_Click() {
//         if (jobs_.Running()) return;   // a second click while the first runs
//         JobGuard::Job job(jobs_);
//         ...
//     }
class JobGuard {
public:
    // A job under way for as long as it lives, however it ends; jobs may nest.
    class Job {
    public:
        explicit Job(JobGuard& guard) : guard_(guard) { ++guard_.running_; }
        ~Job() { --guard_.running_; }
        Job(const Job&) = delete;
        Job& operator=(const Job&) = delete;

    private:
        JobGuard& guard_;
    };

    bool Running() const { return running_ > 0; }
    // True while a job runs; the close event, when given, is then ignored.
    bool RefuseClose(QCloseEvent* event = nullptr) const {
        if (!Running()) return false;
        if (event) event->ignore();
        return true;
    }

private:
    int running_ = 0;
};
