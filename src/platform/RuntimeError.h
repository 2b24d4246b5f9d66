#pragma once
#include <stdexcept>
#include <string>

// A failing step of the program: the number and description a keeper sees in the error log
// and the "Application Error" message. Numbers follow the old run-time error numbering
// (5 invalid call, 13 type mismatch, 94 invalid use of null, negative HRESULTs for the
// database and the system), so the log reads the same as it always did.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, const std::string& description)
        : std::runtime_error(description), number(number), description(description) {}
    long number;
    std::string description;
};

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
