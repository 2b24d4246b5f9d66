#pragma once
#include <string>
#include <vector>

// The line protocol both handhelds speak: a command line is the command word, its argument
// and a carriage return; a reply is its payload, then "(", the command word, a status letter
// (S success, F or X failure), ")" and a carriage return. Lists in a payload are items
// separated by "#" whose fields are separated by "|".
namespace modHandheld {

inline constexpr char CR = '\r';
inline constexpr char ItemSeparator = '#';
inline constexpr char FieldSeparator = '|';

// The reply pattern for a command word: "*(" + word + "[SFX])" + CR.
std::string ReplyPattern(const std::string& commandWord);

// The status letter of the reply's closing "(" word letter ")" CR, or '\0' when the reply
// does not end in such a tail. Text inside the payload never counts.
char ReplyStatus(const std::string& reply, const std::string& commandWord);

// The text split at a separator; an empty text gives no items, "a#" gives "a" and "".
std::vector<std::string> SplitText(const std::string& text, char separator);
// The items joined with the separator between them.
std::string JoinText(const std::vector<std::string>& items, char separator);

// The number a text begins with (blanks before it skipped, a sign and a decimal part
// allowed); 0 when it begins with none.
double LeadingNumber(const std::string& text);
// The same without its decimal part; a number past the range of a long (a reply of many
// digits) is the end of the range it passes.
long LeadingWholeNumber(const std::string& text);

}  // namespace modHandheld
