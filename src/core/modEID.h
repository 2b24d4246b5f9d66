#pragma once
#include <string>

// The forms of an electronic tag's number: the 64-bit animal code stored as 16 upper-case
// hexadecimal digits, the 16-digit decimal number of tag files and typing, the ISO decimal
// and full ISO display forms, and the printed UK form of sheep tags.

// The display forms of one stored code.
struct EIDRecord {
    std::string Decimal;     // 16 digits; the whole value in decimal when the animal flag is 0
    std::string ISODecimal;  // "826 012345678901", or "Invalid"
    std::string FullISO;     // "826 012345678901 0 04 000", or "Invalid"
    int RetagCount = 0;
    int UserInfo = 0;
};

namespace modEID {

// The stored form of a decimal EID (blanks ignored, 15 digits get a leading "0"), or ""
// when it is not 16 decimal digits. Out-of-range user information or retag counts are 0.
std::string DecimalEIDToHexEID(const std::string& decimal, int userInfo = 0, int retagCount = 0);
// The display forms of a stored EID (either case, fewer than 16 digits are padded).
EIDRecord HexEIDToDecimalEID(const std::string& hex);
// "UK" and the first 7 digits of the national number, a blank and its last 5 digits; ""
// unless the decimal EID is of country 0826. The user-information text does not matter.
std::string DecimalToWYSIWYG(const std::string& decimal, const std::string& userInfo);

// Arithmetic on digit strings of any length, most significant digit first.
std::string NumericStringToBinary(const std::string& number, int base);
std::string BinaryStringToNumeric(const std::string& binary, int base);
std::string HexStringToBinary(const std::string& hex);
std::string BinaryStringToHex(const std::string& binary);
std::string RemoveLeadingZeroes(const std::string& text);

}  // namespace modEID
