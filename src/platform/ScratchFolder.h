#pragma once
#include <string>

// A new folder of the program's own name ("kelvo-" and six letters or digits) for work in
// progress: a snapshot, a download, an extraction. While the object lives this process holds
// the folder (a lock the system lets go when the process ends, however it ends); the folder goes
// with everything in it when the object goes, and when the program ends at once (Program::End).
// A file the work must make elsewhere (beside a backup's target on another disk) is noted in
// the folder and goes with it.
//
// Such a folder that no process holds was left by a copy of the program that was killed or
// crashed; RemoveUnheld takes it away, with the files it notes. One that another running copy
// holds stays.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent);  // raises when it cannot be made
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Makes `file` (and the journal SQLite may give it) part of this scratch; raises when the
    // note cannot be written.
    void Note(const std::string& file);

    // Removes every scratch folder in `parent` that no process holds, and what each notes.
    static void RemoveUnheld(const std::string& parent);
    // Removes every scratch folder this process holds (the program is ending at once).
    static void RemoveHeld();

private:
    std::string path_;
    int fd_ = -1;
};
