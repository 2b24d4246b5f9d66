#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The device at the far end of every serial port the program opens in a fuzz target (clsKRComm's
// line, set at start): every command line written to it is answered at once, and the answer
// reaches the program in pieces, as a device's bytes reach a port, then the line falls quiet or
// hangs up. One device stands behind all the lines; each input sets what it says.
namespace Fuzz {

struct Device {
    // The answer to a command line (given without its CR).
    std::function<std::string(const std::string& command)> answer;
    // The sizes of the pieces the answers arrive in, taken in turn (a read takes no more than it asks).
    std::vector<std::size_t> pieces{80};
    bool hangsUp = false;            // once all is said: the device hangs up, rather than falls quiet
    std::vector<std::string> heard;  // the command lines, in order
    std::string unread;              // what it has said that no read has taken yet
    std::size_t nextPiece = 0;

    // Starts an input afresh: nothing heard, nothing unread, these pieces and this ending. A
    // pace byte gives pieces of 1 to 8 and 1 to 76 bytes by turns, and its high bit the hang-up.
    void Reset(std::uint8_t pace);
    // Every command answered with the same bytes.
    void AnswerAlways(const std::string& bytes);
    // The commands answered in turn by the lines of a script (LF ends a reply and is not part of
    // it); a command after the last line gets no answer.
    void AnswerInTurn(const std::string& script);
};

Device& Line();
// Puts the device behind every clsKRComm made from now on.
void InstallLine();

}  // namespace Fuzz
