#pragma once
#include <QStringView>
#include <string>
#include <string_view>
#include <vector>

// The small text routines every part of the program uses. Text is UTF-8 throughout; these
// look at ASCII only, so every other byte of a text stays as it is and no locale changes a
// result.

// The line end of the program's messages and of the files that have always had it.
inline const std::string CRLF = "\r\n";

// The text with its ASCII letters in upper or lower case.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
// True when the text ends in `ending`, ASCII letters of either case alike (a file's ending).
bool EndsWithAsciiNoCase(std::string_view text, std::string_view ending);

// The text without what it has at its ends of: blanks only (a tab or a line break belongs to
// the text, as in the keeper's lists and typed entries); blanks and tabs (a number or a yes
// typed into a field); or blanks, tabs, CR and LF (a settings line, the text of an XML node).
std::string TrimBlanks(std::string_view text);
std::string TrimBlanksAndTabs(std::string_view text);
std::string TrimWhiteSpace(std::string_view text);

// True when every character is a digit 0 to 9 (a hex digit: also a to f, A to F); so also
// for an empty text.
bool AllDigits(std::string_view text);
bool AllDigits(QStringView text);
bool AllHexDigits(std::string_view text);

// The pieces of the text between the separators: "" gives one empty piece, "a|" gives "a"
// and "".
std::vector<std::string> Split(std::string_view text, std::string_view separator);
// The pieces with the separator between each two.
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);
// Replaces every `what` in the text with `with`, left to right; a replacement is not searched
// again. An empty `what` changes nothing.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);
