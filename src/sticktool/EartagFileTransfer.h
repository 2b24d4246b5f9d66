#pragma once
#include <string>

class StickConnection;

// The keeper's eartag list on the stick: sent whole in place of the stick's list (and kept
// under the stick's serial number for that stick's reads), or the stick's list erased. Each
// says how it went in a message.
class EartagFileTransfer {
public:
    explicit EartagFileTransfer(StickConnection& stick) : stick_(stick) {}
    void Send();
    void Erase();

private:
    StickConnection& stick_;

    void KeepCopyForStick(const std::string& listPath, const std::string& bytes);
};
