#include "devices/modHandheld.h"

#include <cctype>
#include <cstdlib>

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
    std::vector<std::string> items;
    if (text.empty()) return items;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        items.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return items;
        start = at + 1;
    }
}

std::string JoinText(const std::vector<std::string>& items, char separator) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) text += separator;
        text += items[i];
    }
    return text;
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

}  // namespace modHandheld
