#include "core/modCommonTags.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include "core/Trap.h"
#include "core/modEID.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace modCommon {
namespace {

// Both procedures report under the key procedure's name: the splitter is its first step.
const char* const kProcedure = "GetTagSortFromTag";
const char* const kModule = "modCommon";

QRegularExpression Anchored(const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}

bool IsUpperLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// "UK" followed by exactly `digits` digits.
bool IsUKMark(const QString& text, int digits) {
    return text.size() == 2 + digits && text.startsWith(QLatin1String("UK")) && AllDigits(text.mid(2));
}

// Four letters, four digits and a letter, as ABCD1234E.
bool IsLettersDigitsLetter(const QString& token) {
    if (token.size() != 9) return false;
    for (int i = 0; i < 4; ++i)
        if (!IsUpperLetter(token[i])) return false;
    return AllDigits(token.mid(4, 4)) && IsUpperLetter(token[8]);
}

struct Split {
    QString prefix;
    QString number;
};

// The sheep tag forms with a fixed layout; false when the tag has none of them.
bool SplitSheepPattern(const QString& tag, Split& split) {
    static const QRegularExpression ukFlock =
        Anchored(QStringLiteral("^(UK)\\s*([01])\\s*([0-9]{6})\\s*([0-9]{5}|)\\s*(S{0,1})\\z"));
    static const QRegularExpression irish =
        Anchored(QStringLiteral("^(IE04)\\s*([0-9]{7})\\s*([0-9]{5})\\s*([A-HJ])\\z"));
    static const QRegularExpression flockMark = Anchored(QStringLiteral("^(UK)\\s*([0-9]{6})\\s*\\z"));

    if (auto m = ukFlock.match(tag); m.hasMatch()) {
        split.prefix = m.captured(1) + m.captured(2) + m.captured(3);
        split.number = m.captured(4).isEmpty() ? QString() : m.captured(4) + m.captured(5);
        return true;
    }
    if (auto m = irish.match(tag); m.hasMatch()) {
        split.prefix = m.captured(1) + QLatin1Char(' ') + m.captured(2);
        split.number = m.captured(3) + QLatin1Char(' ') + m.captured(4);
        return true;
    }
    if (auto m = flockMark.match(tag); m.hasMatch()) {
        split.prefix = m.captured(1) + m.captured(2);
        return true;
    }
    return false;
}

struct CattleFlags {
    bool uk9 = false;
    bool hyphen = false;
    bool irish = false;
};

// Works out the cattle flags and rewrites the hyphens of the tag as the flags require.
CattleFlags PrepareCattleTag(QString& tag) {
    static const QRegularExpression uk9 = Anchored(QStringLiteral("^\\s*U\\s*K\\s*9"));
    CattleFlags flags;
    const int n = tag.size();
    if (uk9.match(tag).hasMatch()) {
        flags.uk9 = true;
    } else if (n >= 2 && tag[n - 2] == QLatin1Char('-') && IsUpperLetter(tag[n - 1])) {
        // A trailing check letter after a hyphen keeps its hyphen; the others become blanks.
        flags.hyphen = true;
        tag.replace(QLatin1Char('-'), QLatin1Char(' '));
        tag[n - 2] = QLatin1Char('-');
    } else if (tag.startsWith(QLatin1String("IE"))) {
        flags.irish = true;
        tag.replace(QLatin1Char('-'), QLatin1Char(' '));
    }
    return flags;
}

void SplitSingleToken(const QString& token, int species, Split& split) {
    const int length = token.size();
    if (length == 16 || length == 15) {
        // A decimal EID used as a tag: a UK sheep tag splits as it is printed.
        if (species == Sheep) {
            const QString printed = QString::fromStdString(modEID::DecimalToWYSIWYG(token.toStdString(), "04"));
            if (!printed.isEmpty()) {
                split.prefix = printed.section(QLatin1Char(' '), 0, 0);
                split.number = printed.section(QLatin1Char(' '), 1, 1);
                return;
            }
        }
        split.prefix = token.left(length - 12);
        split.number = token.right(12);
    } else if (length == 14) {
        split.prefix = token.left(8);
        split.number = token.right(6);
    } else if (length == 9 && IsLettersDigitsLetter(token)) {
        split.prefix = token.left(4);
        split.number = token.right(5);
    } else {
        split.prefix = token.left((length + 1) / 2);
        split.number = token.right(length / 2);
    }
}

// A UK9 mark takes tokens until it has six characters; the rest is the number.
void SplitBySixCharacterMark(const QStringList& tokens, Split& split) {
    for (const QString& token : tokens) {
        if (split.prefix.size() < 6) split.prefix += token;
        else split.number += token;
    }
}

void SplitTokens(const QStringList& tokens, const CattleFlags& flags, int species, Split& split) {
    const int count = tokens.size();
    switch (count) {
        case 0: return;
        case 1: SplitSingleToken(tokens[0], species, split); return;
        case 2: {
            const QString& t0 = tokens[0];
            const QString& t1 = tokens[1];
            if (t0.size() == 2 && IsUpperLetter(t0[0]) && IsUpperLetter(t0[1])) {
                const int head = (t1.size() + 1) / 2;
                split.prefix = t0 + t1.left(head);
                split.number = t1.mid(head);
            } else {
                split.prefix = t0;
                split.number = t1;
            }
            return;
        }
        case 3:
            if (tokens[0].size() + tokens[1].size() <= tokens[1].size() + tokens[2].size()) {
                split.prefix = tokens[0] + tokens[1];
                split.number = tokens[2];
            } else {
                split.prefix = tokens[0];
                split.number = tokens[1] + tokens[2];
            }
            return;
        case 4:
            if (flags.uk9) {
                SplitBySixCharacterMark(tokens, split);
            } else {
                split.prefix = tokens[0] + tokens[1];
                split.number = tokens[2] + tokens[3];
            }
            return;
        case 5:
            if (flags.uk9) {
                SplitBySixCharacterMark(tokens, split);
            } else if (flags.irish) {
                split.prefix = tokens[0] + tokens[1] + tokens[2] + tokens[3];
                split.number = tokens[4];
            } else {
                split.prefix = tokens[0] + tokens[1] + tokens[2];
                split.number = tokens[3] + tokens[4];
            }
            return;
        default:
            for (int i = 0; i < count; ++i) {
                // The later half goes to the number; the middle token of an odd count to the prefix.
                if (2 * i > count - 1) split.number += tokens[i];
                else split.prefix += tokens[i];
            }
    }
}

QStringList Tokens(const QString& tag) {
    static const QRegularExpression token(QStringLiteral("\\S{1,}"));
    QStringList tokens;
    auto it = token.globalMatch(tag);
    while (it.hasNext()) tokens << it.next().captured(0);
    return tokens;
}

Split SplitTagText(const std::string& text, int species) {
    Split split;
    QString tag = QString::fromStdString(text).toUpper();
    CattleFlags flags;
    if (species == Sheep) {
        if (SplitSheepPattern(tag, split)) return split;
    } else if (species == Cattle) {
        flags = PrepareCattleTag(tag);
    }
    SplitTokens(Tokens(tag), flags, species, split);
    if (flags.hyphen && split.prefix.endsWith(QLatin1Char('-'))) split.prefix.chop(1);
    return split;
}

// The value of a text of digits as a 32-bit key; raises as a failing conversion would.
int DigitsToKey(const QString& digits) {
    if (digits.isEmpty()) throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch");
    long long value = 0;
    for (QChar c : digits) {
        value = value * 10 + (c.unicode() - '0');
        if (value > 2147483647LL) throw RuntimeError(ErrorNumber::Overflow, "Overflow");
    }
    return static_cast<int>(value);
}

}  // namespace

std::array<std::string, 2> SplitTag(const std::string& tag) {
    std::array<std::string, 2> parts;
    Trap(kProcedure, kModule, [&] {
        const Split split = SplitTagText(tag, Species);
        parts = {split.prefix.toStdString(), split.number.toStdString()};
    });
    return parts;
}

int GetTagSortFromTag(const std::string& tag) { return GetTagSortFromTag(tag, Species); }

int GetTagSortFromTag(const std::string& tag, int species) {
    int key = 0;
    Trap(kProcedure, kModule, [&] {
        const Split split = SplitTagText(tag, species);
        int digitsKept = 9;
        bool uk9 = false;
        if (species == Cattle) {
            if (split.prefix.startsWith(QLatin1String("UK9"))) uk9 = true;
            else if (split.number.size() == 6 && AllDigits(split.number) && IsUKMark(split.prefix, 6)) digitsKept = 5;
        }
        QString digits;
        for (QChar c : split.number)
            if (IsDigit(c)) digits += c;
        if (digits.isEmpty()) return;
        key = uk9 ? DigitsToKey(digits.left(digits.size() - 1)) : DigitsToKey(digits.right(digitsKept));
    });
    return key;
}

}  // namespace modCommon
