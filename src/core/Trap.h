#pragma once
#include <string>

#include "core/modCommon.h"
#include "platform/RuntimeError.h"

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
