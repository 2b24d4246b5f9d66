#include "core/Trap.h"

#include <QThread>

#include <optional>
#include <vector>

namespace TrapAction {

namespace {

struct Level {
    int eventLoop;                      // the event loop the frames run in
    int frames;                         // trapped procedures running in it
    std::optional<RuntimeError> ended;  // what ended the action they make
};

// One entry per event loop that trapped procedures run in, innermost last.
thread_local std::vector<Level> levels;

int EventLoop() {
    QThread* thread = QThread::currentThread();
    return thread ? thread->loopLevel() : 0;
}

// The current action: the frames of the innermost event loop, when it is the one running.
Level* Current() {
    if (levels.empty() || levels.back().eventLoop != EventLoop()) return nullptr;
    return &levels.back();
}

}  // namespace

Frame::Frame() {
    if (Level* level = Current()) ++level->frames;
    else levels.push_back({EventLoop(), 1, std::nullopt});
}

Frame::~Frame() {
    if (--levels.back().frames == 0) levels.pop_back();
}

const RuntimeError* EndedBy() {
    Level* level = Current();
    return level && level->ended ? &*level->ended : nullptr;
}

bool Meets(const RuntimeError& error) {
    Level* level = Current();
    if (!level) return true;
    if (level->ended) return false;
    if (error.WholeDatabase()) level->ended = error;
    return true;
}

void ThrowIfEnded() {
    if (const RuntimeError* failure = EndedBy()) throw *failure;
}

}  // namespace TrapAction

std::function<void(const std::exception&)> TrapHandler(const std::string& procedure, const std::string& object) {
    // Through Trap itself, so that it is logged just as a failure in a trapped body is.
    return [procedure, object](const std::exception& error) {
        Trap(procedure, object, [&] { throw RuntimeError::From(error); });
    };
}
