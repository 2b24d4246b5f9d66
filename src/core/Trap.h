#pragma once
#include <string>

#include "core/modCommon.h"
#include "platform/RuntimeError.h"

// The keeper's action that trapped procedures run in: the outermost trapped procedure of the
// event being handled (a modal window's own events, handled in its own event loop, are actions
// of their own). A failure of the database as a whole ends the action: it is shown once, every
// later use of the database in the same action meets it again at once, without waiting on the
// file, and no further error of the action is shown (each still goes to the error log).
namespace TrapAction {

// Marks a trapped procedure for its length (Trap makes one).
class Frame {
public:
    Frame();
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
};

// The failure of the database as a whole that ended the current action, or nullptr.
const RuntimeError* EndedBy();
// Notes a failure the action meets and would show; true when it is to be shown (no earlier
// failure of the database as a whole has ended the action).
bool Meets(const RuntimeError& error);
// Raises the failure that ended the current action, if one has: a loop over many records
// ends there rather than meet it record by record.
void ThrowIfEnded();

}  // namespace TrapAction

// Runs the body of a procedure that traps its errors. A failure of any kind (a RuntimeError,
// a file-system error, any other std::exception) is logged under the procedure's and the
// object's names, with the "Application Error" message, and the procedure goes on past the
// body: whatever the body set before it failed is the result it leaves with.
// Returns true when the body ran to its end.
//
//     void frmX::cmdGo_Click() {
//         Trap("cmdGo_Click", kObject, [&] { ... });
//     }
template <class Body>
bool Trap(const std::string& procedure, const std::string& object, Body&& body) {
    TrapAction::Frame frame;
    return Catching(
        [&] {
            body();
            return true;
        },
        [&](const RuntimeError& error) {
            modCommon::LogError(error, procedure, object);
            return false;
        });
}
