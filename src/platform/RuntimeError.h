#pragma once
#include <stdexcept>
#include <string>

// A failing step of the program: the number and description a keeper sees in the error log
// and the "Application Error" message. Numbers follow the old run-time error numbering
// (5 invalid call, 13 type mismatch, 94 invalid use of null, negative HRESULTs for the
// database and the system), so the log reads the same as it always did.
class RuntimeError : public std::runtime_error {
public:
    // What failed: one step (a statement about one animal's rows, a value, a file), or the
    // database as a whole (it refuses writes, stays locked past the busy time-out, cannot be
    // read or written, is full or damaged), which every later step would meet again. A database
    // another program holds locked past the busy time-out is one in use: the whole of it fails
    // for now, and the file itself is sound. One that refuses writes (the file, its folder or its
    // disk is read-only, or its header asks for a newer writer) is read-only: it can be read.
    enum class Kind { Step, WholeDatabase, InUse, ReadOnly };

    RuntimeError(long number, const std::string& description, Kind kind = Kind::Step)
        : std::runtime_error(description), number(number), description(description), kind(kind) {}
    long number;
    std::string description;
    Kind kind;
    // A write that the disk had no room for: it is full, the user's quota is spent, or the file
    // would pass the largest size the file system or the process allows. The keeper can make
    // room and try again.
    bool noRoom = false;

    bool WholeDatabase() const { return kind != Kind::Step; }
    bool InUse() const { return kind == Kind::InUse; }
    bool ReadOnly() const { return kind == Kind::ReadOnly; }

    // Any failure as the program reports it: a RuntimeError as it is, any other exception
    // (a file-system error, a bad allocation) as an invalid call with the exception's text.
    static RuntimeError From(const std::exception& error);
    // 3021, the failure of a look at a row that is not there.
    static RuntimeError NoCurrentRecord();
};

// Runs `body` and gives its result. A failure of any kind reaches `onFailure` as a
// RuntimeError (see From), and `onFailure`'s result is given instead. The one place where
// the program decides what counts as a trapped failure.
template <class Body, class OnFailure>
auto Catching(Body&& body, OnFailure&& onFailure) -> decltype(body()) {
    try {
        return body();
    } catch (const std::exception& error) {
        return onFailure(RuntimeError::From(error));
    }
}

// Error numbers the layer raises.
namespace ErrorNumber {
constexpr long InvalidCall = 5;
constexpr long Overflow = 6;
constexpr long SubscriptOutOfRange = 9;
constexpr long TypeMismatch = 13;
constexpr long FileNotFound = 53;
constexpr long FileAlreadyOpen = 55;
constexpr long PermissionDenied = 70;
constexpr long PathNotFound = 76;
constexpr long InvalidUseOfNull = 94;
constexpr long NoCurrentRecord = 3021;
constexpr long ItemNotFound = 3265;
constexpr long ObjectClosed = 3704;
constexpr long DatabaseFailure = -2147467259;  // the provider's unspecified failure
}  // namespace ErrorNumber

inline RuntimeError RuntimeError::From(const std::exception& error) {
    if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return *runtime;
    return RuntimeError(ErrorNumber::InvalidCall, error.what());
}

inline RuntimeError RuntimeError::NoCurrentRecord() {
    return RuntimeError(ErrorNumber::NoCurrentRecord,
                        "Either BOF or EOF is True, or the current record has been deleted. "
                        "Requested operation requires a current record.");
}
