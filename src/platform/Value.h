#pragma once
#include <cstdint>
#include <string>
#include <variant>

// One field value of a recordset: null, a whole number, a real number or text (UTF-8).
// Reading a null as anything but a value raises "Invalid use of Null" as the old
// program's field reads did; callers that expect nulls test IsNull or use DeNull.
class Value {
public:
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : v_(static_cast<std::int64_t>(v)) {}
    Value(long v) : v_(static_cast<std::int64_t>(v)) {}
    Value(long long v) : v_(static_cast<std::int64_t>(v)) {}
    Value(bool v) : v_(static_cast<std::int64_t>(v ? 1 : 0)) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsInteger() const { return std::holds_alternative<std::int64_t>(v_); }
    bool IsReal() const { return std::holds_alternative<double>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    bool IsNumber() const { return IsInteger() || IsReal(); }

    // Conversions raise RuntimeError 94 on null and 13 on text that is not a number.
    std::string ToString() const;
    std::int64_t ToLong() const;
    double ToDouble() const;
    bool ToBool() const;  // any non-zero number is true; "True"/"False" text too

    // The text of the value, or `replacement` when it is null.
    std::string ToStringOr(const std::string& replacement) const;

    bool operator==(const Value& other) const { return v_ == other.v_; }

    const std::variant<std::monostate, std::int64_t, double, std::string>& Raw() const { return v_; }

private:
    std::variant<std::monostate, std::int64_t, double, std::string> v_;
};
