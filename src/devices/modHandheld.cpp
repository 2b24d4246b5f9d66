#include "devices/modHandheld.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "platform/Text.h"

namespace modHandheld {

std::string ReplyPattern(const std::string& commandWord) {
    std::string pattern = "*(@[SFX])";
    pattern.replace(pattern.find('@'), 1, commandWord);
    return pattern + CR;
}

char ReplyStatus(const std::string& reply, const std::string& commandWord) {
    const std::string opening = "(" + commandWord;
    const size_t tail = opening.size() + 3;  // status letter, ")" and CR follow the word
    if (reply.size() < tail) return '\0';
    const size_t at = reply.size() - tail;
    if (reply.compare(at, opening.size(), opening) != 0) return '\0';
    if (reply[reply.size() - 2] != ')' || reply.back() != CR) return '\0';
    return reply[reply.size() - 3];
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
    if (text.empty()) return {};
    return Split(text, std::string_view(&separator, 1));
}

std::string JoinText(const std::vector<std::string>& items, char separator) {
    return Join(items, std::string_view(&separator, 1));
}

double LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

long LeadingWholeNumber(const std::string& text) {
    const double number = LeadingNumber(text);
    if (!(number < 0x1p63)) return std::numeric_limits<long>::max();
    if (number < -0x1p63) return std::numeric_limits<long>::min();
    return static_cast<long>(number);
}

}  // namespace modHandheld
