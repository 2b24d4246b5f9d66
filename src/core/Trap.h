#pragma once
#include <functional>
#include <string>
#include <type_traits>

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

// How a trapped failure reaches the keeper: in the "Application Error" message, or in the error
// log alone (one the program carries on past unnoticed, as a compaction that another program
// stopped: no part of the keeper's action, it ends none).
enum class TrapShows { Message, LogOnly };

namespace TrapAction {

// Every form of Trap below: runs the body, and on a failure of any kind (a RuntimeError, a
// file-system error, a bad allocation, any other std::exception) gives the fallback's result
// and then logs the failure under the procedure's and the object's names. The names are read
// when the failure is logged, so a body may name the step it is at.
template <class Body, class Fallback>
auto Run(const std::string& procedure, const std::string& object, TrapShows shows, Body&& body, Fallback&& fallback)
    -> decltype(body()) {
    auto logged = [&](const RuntimeError& error) {
        auto result = fallback(error);
        modCommon::LogError(error, procedure, object, shows == TrapShows::Message);
        return result;
    };
    if (shows == TrapShows::LogOnly) return Catching(body, logged);
    Frame frame;
    return Catching(body, logged);
}

}  // namespace TrapAction

// Runs the body of a procedure that traps its errors. A failure of any kind is logged under
// the procedure's and the object's names, with the "Application Error" message, and the
// procedure goes on past the body: whatever the body set before it failed is the result it
// leaves with. Returns true when the body ran to its end.
//
//     void frmX::cmdGo_Click() {
//         Trap("cmdGo_Click", kObject, [&] { ... });
//     }
template <class Body>
bool Trap(const std::string& procedure, const std::string& object, Body&& body, TrapShows shows = TrapShows::Message) {
    return TrapAction::Run(
        procedure, object, shows,
        [&] {
            body();
            return true;
        },
        [](const RuntimeError&) { return false; });
}

// The same for a procedure that gives a result: the body's, or after a failure the fallback,
// either a value or a function of the failure. The function runs before the failure is logged
// and may tidy up what the body left.
//
//     return TrapOr("OpenRecordset", kObject, Recordset(), [&] { return Open().Query(sql); });
template <class Fallback, class Body>
auto TrapOr(const std::string& procedure, const std::string& object, Fallback&& fallback, Body&& body)
    -> decltype(body()) {
    using Result = decltype(body());
    return TrapAction::Run(procedure, object, TrapShows::Message, body, [&](const RuntimeError& error) -> Result {
        if constexpr (std::is_invocable_v<Fallback&, const RuntimeError&>) return fallback(error);
        else return fallback;
    });
}

// A handler for the failures that a lower layer catches on a procedure's behalf (a grid's edit
// that the database refused, rows it could not fetch): each is logged as Trap logs one.
std::function<void(const std::exception&)> TrapHandler(const std::string& procedure, const std::string& object);
