#include "platform/Text.h"

#include <algorithm>

namespace {

std::string Mapped(std::string_view text, char from, char to, int shift) {
    std::string mapped(text);
    for (char& c : mapped)
        if (c >= from && c <= to) c = static_cast<char>(c + shift);
    return mapped;
}

std::string Trimmed(std::string_view text, std::string_view ends) {
    const auto first = text.find_first_not_of(ends);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(ends) - first + 1));
}

}  // namespace

std::string UpperAscii(std::string_view text) { return Mapped(text, 'a', 'z', 'A' - 'a'); }
std::string LowerAscii(std::string_view text) { return Mapped(text, 'A', 'Z', 'a' - 'A'); }

bool EndsWithAsciiNoCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && LowerAscii(text.substr(text.size() - ending.size())) == LowerAscii(ending);
}

std::string TrimBlanks(std::string_view text) { return Trimmed(text, " "); }
std::string TrimBlanksAndTabs(std::string_view text) { return Trimmed(text, " \t"); }
std::string TrimWhiteSpace(std::string_view text) { return Trimmed(text, " \t\r\n"); }

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool AllDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool AllHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find(separator, start);
        pieces.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return pieces;
        start = at + separator.size();
    }
}

std::string Join(const std::vector<std::string>& pieces, std::string_view separator) {
    // One allocation: a stick's whole memory joins to a megabyte, which growing piece by piece
    // would copy and fault in several times over.
    std::size_t size = 0;
    for (const std::string& piece : pieces) size += piece.size() + separator.size();
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += separator;
        text += pieces[i];
    }
    return text;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (what.empty()) return;  // nothing to find: found everywhere, it would never end
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}
