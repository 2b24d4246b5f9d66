#include "platform/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

[[noreturn]] void NullUse() { throw RuntimeError(ErrorNumber::InvalidUseOfNull, "Invalid use of Null"); }
[[noreturn]] void Mismatch() { throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch"); }

std::string RealText(double v) {
    if (std::floor(v) == v && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

}  // namespace

std::string Value::ToString() const {
    switch (v_.index()) {
        case 0: NullUse();
        case 1: return std::to_string(std::get<std::int64_t>(v_));
        case 2: return RealText(std::get<double>(v_));
        default: return std::get<std::string>(v_);
    }
}

std::string Value::ToStringOr(const std::string& replacement) const { return IsNull() ? replacement : ToString(); }

double Value::ToDouble() const {
    switch (v_.index()) {
        case 0: NullUse();
        case 1: return static_cast<double>(std::get<std::int64_t>(v_));
        case 2: return std::get<double>(v_);
        default: {
            std::string t = TrimBlanksAndTabs(std::get<std::string>(v_));
            if (t.empty()) Mismatch();
            double d = 0;
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), d);
            if (ec != std::errc() || p != t.data() + t.size()) Mismatch();
            return d;
        }
    }
}

std::int64_t Value::ToLong() const {
    switch (v_.index()) {
        case 0: NullUse();
        case 1: return std::get<std::int64_t>(v_);
        case 2: return static_cast<std::int64_t>(std::llround(std::get<double>(v_)));
        default: {
            std::string t = TrimBlanksAndTabs(std::get<std::string>(v_));
            std::int64_t n = 0;
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
            if (ec == std::errc() && p == t.data() + t.size() && !t.empty()) return n;
            return static_cast<std::int64_t>(std::llround(ToDouble()));
        }
    }
}

bool Value::ToBool() const {
    if (IsText()) {
        const std::string t = LowerAscii(TrimBlanksAndTabs(std::get<std::string>(v_)));
        if (t == "true") return true;
        if (t == "false") return false;
    }
    return ToDouble() != 0.0;
}
