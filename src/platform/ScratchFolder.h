#pragma once
#include <string>

// A new folder of the program's own name ("kelvo-" and six letters or digits) for work in
// progress: a snapshot, a download, an extraction, a copy written whole before it takes its
// name. While the object lives this process holds the folder (a lock the system lets go when the
// process ends, however it ends); the folder goes with everything in it when the object goes, and
// when the program ends at once (Program::End). A backup's scratch copy beside its target
// ("<target>tmp") is noted in the folder and goes with it.
//
// The folder carries the program's mark, written once the folder is held. Such a folder that no
// process holds was left by a copy of the program that was killed or crashed; RemoveUnheld takes
// it away, with the scratch copies it notes. One that another running copy holds stays, and so
// does a folder without the mark whatever its name (a keeper's "kelvo-backup"), and a noted path
// that is not a scratch copy's.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent);  // raises when it cannot be made
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Makes `file`, a backup's scratch copy "<name>.mdbtmp" (and the journal SQLite may give it),
    // part of this scratch; raises when the note cannot be written or the name is no such copy's.
    void Note(const std::string& file);

    // Removes every scratch folder in `parent` that carries the mark and that no process holds,
    // and the scratch copies each notes.
    static void RemoveUnheld(const std::string& parent);
    // Removes every scratch folder this process holds (the program is ending at once).
    static void RemoveHeld();

private:
    std::string path_;
    int fd_ = -1;
};
