#include "core/modEID.h"

#include <cstdint>

#include "core/Trap.h"
#include "platform/RuntimeError.h"

namespace modEID {
namespace {

const char* const kModule = "modEID";

RuntimeError TypeMismatch() { return RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch"); }

void RequireBase(int base) {
    // One character per digit only works up to base 10, and a base below 2 never ends.
    if (base < 2 || base > 10) throw RuntimeError(ErrorNumber::InvalidCall, "Invalid procedure call or argument");
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The value in decimal, padded on the left with zeros to `width` digits.
std::string Padded(std::uint64_t value, int width) {
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (end - p < width) *--p = '0';
    return std::string(p, end);
}

// Blanks removed and a 15-digit number given its leading zero; "" unless 16 digits remain.
std::string NormaliseDecimalEID(const std::string& text) {
    std::string digits;
    digits.reserve(text.size());
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() == 15) digits.insert(digits.begin(), '0');
    if (digits.size() != 16) return "";
    for (char c : digits)
        if (c < '0' || c > '9') return "";
    return digits;
}

std::uint64_t DigitsValue(const std::string& digits, std::size_t from, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (digits[i] - '0');
    return value;
}

// The code of a hexadecimal text of at most 16 significant digits, all valid; false for
// anything else, which then takes the digit-string road with its error reports.
bool ParsePlainHex(const std::string& hex, std::uint64_t& value) {
    value = 0;
    int significant = 0;
    for (char c : hex) {
        int digit = HexDigitValue(c);
        if (digit < 0) return false;
        if (significant == 0 && digit == 0) continue;
        if (++significant > 16) return false;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return true;
}

void FillRecord(std::uint64_t code, EIDRecord& record) {
    if ((code >> 63) == 0) {
        record.Decimal = Padded(code, 1);
        record.ISODecimal = "Invalid";
        record.FullISO = "Invalid";
        record.RetagCount = 0;
        record.UserInfo = 0;
        return;
    }
    const std::string country = Padded((code >> 38) & 0x3FF, 4);
    const std::string national = Padded(code & ((std::uint64_t{1} << 38) - 1), 12);
    record.Decimal = country + national;
    record.ISODecimal = country.substr(1) + " " + national;
    record.RetagCount = static_cast<int>((code >> 60) & 0x7);
    record.UserInfo = static_cast<int>((code >> 55) & 0x1F);
    const auto reserved = (code >> 49) & 0x3F;
    const auto dataBlock = (code >> 48) & 0x1;
    record.FullISO.reserve(record.ISODecimal.size() + 10);
    record.FullISO = record.ISODecimal;
    record.FullISO += ' ';
    record.FullISO += static_cast<char>('0' + record.RetagCount);
    record.FullISO += ' ';
    record.FullISO += Padded(static_cast<std::uint64_t>(record.UserInfo), 2);
    record.FullISO += ' ';
    record.FullISO += Padded(reserved, 2);
    record.FullISO += static_cast<char>('0' + dataBlock);
}

}  // namespace

std::string DecimalEIDToHexEID(const std::string& decimal, int userInfo, int retagCount) {
    std::string result;
    Trap("DecimalEIDToHexEID", kModule, [&] {
        if (userInfo < 0 || userInfo > 31) userInfo = 0;
        if (retagCount < 0 || retagCount > 7) retagCount = 0;
        const std::string digits = NormaliseDecimalEID(decimal);
        if (digits.empty()) return;
        // Animal flag set; the country taken modulo 1024 and the national number modulo 2^38.
        std::uint64_t code = std::uint64_t{1} << 63;
        code |= static_cast<std::uint64_t>(retagCount) << 60;
        code |= static_cast<std::uint64_t>(userInfo) << 55;
        code |= (DigitsValue(digits, 0, 4) & 0x3FF) << 38;
        code |= DigitsValue(digits, 4, 12) & ((std::uint64_t{1} << 38) - 1);
        std::string hex(16, '0');
        for (int i = 15; i >= 0; --i, code >>= 4) hex[i] = "0123456789ABCDEF"[code & 0xF];
        result = hex;
    });
    return result;
}

EIDRecord HexEIDToDecimalEID(const std::string& hex) {
    EIDRecord record;
    Trap("HexEIDToDecimalEID", kModule, [&] {
        if (hex.empty()) return;
        std::uint64_t code = 0;
        if (!ParsePlainHex(hex, code)) {
            // A text that is not plain hexadecimal goes the long way, so that a bad digit
            // is reported where it is met and the conversion goes on with what was read.
            std::string bits = HexStringToBinary(hex);
            if (bits.size() > 64) throw RuntimeError(ErrorNumber::InvalidCall, "Invalid procedure call or argument");
            code = 0;
            for (char bit : bits) code = (code << 1) | static_cast<std::uint64_t>(bit == '1');
        }
        FillRecord(code, record);
    });
    return record;
}

std::string DecimalToWYSIWYG(const std::string& decimal, const std::string& /*userInfo*/) {
    std::string printed;
    Trap("DecimalToWYSIWYG", kModule, [&] {
        const std::string digits = NormaliseDecimalEID(decimal);
        if (digits.empty() || digits.compare(0, 4, "0826") != 0) return;
        printed = "UK" + digits.substr(4, 7) + " " + digits.substr(11, 5);
    });
    return printed;
}

std::string NumericStringToBinary(const std::string& number, int base) {
    std::string result;
    Trap("NumericStringToBinary", kModule, [&] {
        RequireBase(base);
        std::string working = number;
        // Repeated division by two; each pass leaves one binary digit as its remainder.
        while (!working.empty()) {
            std::string quotient;
            int remainder = 0;
            for (char c : working) {
                int digit = c - '0';
                if (c < '0' || c > '9' || digit >= base) throw TypeMismatch();
                int value = remainder * base + digit;
                remainder = value % 2;
                if (!(quotient.empty() && value == 0)) quotient += static_cast<char>('0' + value / 2);
            }
            result.insert(result.begin(), static_cast<char>('0' + remainder));
            working = quotient;
        }
        result = RemoveLeadingZeroes(result);
    });
    return result;
}

std::string BinaryStringToNumeric(const std::string& binary, int base) {
    std::string result = "0";
    Trap("BinaryStringToNumeric", kModule, [&] {
        RequireBase(base);
        // Repeated doubling: each bit doubles the number so far and adds itself.
        for (char bit : binary) {
            if (bit != '0' && bit != '1') throw TypeMismatch();
            int carry = bit - '0';
            for (auto it = result.rbegin(); it != result.rend(); ++it) {
                int value = (*it - '0') * 2 + carry;
                *it = static_cast<char>('0' + value % base);
                carry = value >= base ? 1 : 0;
            }
            if (carry == 1) result.insert(result.begin(), '1');
        }
    });
    return result;
}

std::string HexStringToBinary(const std::string& hex) {
    std::string result;
    Trap("HexStringToBinary", kModule, [&] {
        result.reserve(hex.size() * 4);
        for (char c : hex) {
            int digit = HexDigitValue(c);
            if (digit < 0) throw TypeMismatch();
            for (int shift = 3; shift >= 0; --shift) result += static_cast<char>('0' + ((digit >> shift) & 1));
        }
        result = RemoveLeadingZeroes(result);
    });
    return result;
}

std::string BinaryStringToHex(const std::string& binary) {
    std::string result;
    Trap("BinaryStringToHex", kModule, [&] {
        // Always at least one group of leading zeros, so an empty text gives "0".
        const std::string bits = std::string(4 - binary.size() % 4, '0') + binary;
        for (std::size_t i = 0; i < bits.size(); i += 4) {
            int value = 0;
            for (std::size_t j = i; j < i + 4; ++j) {
                if (bits[j] != '0' && bits[j] != '1') throw TypeMismatch();
                value = value * 2 + (bits[j] - '0');
            }
            result += "0123456789ABCDEF"[value];
        }
        result = RemoveLeadingZeroes(result);
    });
    return result;
}

std::string RemoveLeadingZeroes(const std::string& text) {
    std::size_t first = 0;
    while (text.size() - first >= 2 && text[first] == '0') ++first;
    return text.substr(first);
}

}  // namespace modEID
