#include "platform/Rtf.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace {

// The character formatting of a stretch of text, in the file's own terms: colour and font
// are indexes into the file's tables, the size is in half points (-1 for "not given").
struct CharState {
    bool bold = false, italic = false, underline = false;
    int colour = 0, halfPoints = -1, font = -1;
    int highlight = 0;  // a colour of the table behind the text; 0 none
    bool operator==(const CharState&) const = default;
};

enum class Destination { Text, Skip, FontTable, ColourTable };

struct Group {
    CharState chars;
    Destination destination = Destination::Text;
    int fallback = 1;  // \ucN: characters after \uN that stand for readers without Unicode
};

struct Run {
    CharState chars;
    QString text;
};

// Groups whose text is not part of the document even without the \* mark.
const std::unordered_map<std::string_view, Destination>& Destinations() {
    static const std::unordered_map<std::string_view, Destination> map = [] {
        std::unordered_map<std::string_view, Destination> m{{"fonttbl", Destination::FontTable},
                                                            {"colortbl", Destination::ColourTable}};
        // The names run on as a paragraph, not one a line.
        // clang-format off
        for (std::string_view skip :
             {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
              "footer", "footerl", "footerr", "footerf", "footnote", "listtable",
              "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "filetbl", "fldinst",
              "themedata", "colorschememapping", "latentstyles", "datastore", "ftnsep", "ftnsepc",
              "aftnsep", "aftnsepc", "pn", "pntext", "nonshppict"})
            // clang-format on
            m.emplace(skip, Destination::Skip);
        return m;
    }();
    return map;
}

// Control words that stand for one character.
const std::unordered_map<std::string_view, char16_t>& Symbols() {
    static const std::unordered_map<std::string_view, char16_t> map{
        {"par", u'\n'},        {"sect", u'\n'},       {"page", u'\n'},     {"row", u'\n'},
        {"line", 0x2028},      {"tab", u'\t'},        {"cell", u'\t'},     {"bullet", 0x2022},
        {"endash", 0x2013},    {"emdash", 0x2014},    {"lquote", 0x2018},  {"rquote", 0x2019},
        {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}};
    return map;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Broken(const std::string& why) {
    throw RuntimeError(ErrorNumber::InvalidCall, "The rich text is damaged: " + why + ".");
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    void Parse() {
        if (!Rtf::IsRtf(in_)) Broken("it does not start with {\\rtf");
        // Text from the database is UTF-8 already; a file from elsewhere has single bytes.
        utf8_ = TextFile::IsUtf8(in_);
        while (pos_ < in_.size()) {
            char c = in_[pos_++];
            if (c == '{') {
                Open();
            } else if (c == '}') {
                if (!Close()) return;  // the document's own group has ended: the rest is not read
            } else if (c == '\\') {
                Control();
            } else if (utf8_ && static_cast<unsigned char>(c) >= 0x80) {
                std::size_t at = pos_ - 1;
                char32_t u = TextFile::NextUtf8(in_, at);
                pos_ = at;
                if (!SkippedAsFallback()) Char(u);
            } else if (c != '\r' && c != '\n') {
                Byte(static_cast<unsigned char>(c));
            }
        }
        Broken("a group is not closed before the end");
    }

    void Fill(QTextDocument& document) const {
        // One edit without undo steps: the document is laid out once, not after every run.
        bool undo = document.isUndoRedoEnabled();
        document.setUndoRedoEnabled(false);
        document.clear();
        QTextCursor cursor(&document);
        cursor.beginEditBlock();
        for (const Run& run : runs_) cursor.insertText(run.text, Format(run.chars));
        cursor.endEditBlock();
        document.setUndoRedoEnabled(undo);
    }

private:
    void Open() {
        groups_.push_back(group_);
        fallbackLeft_ = 0;
    }

    bool Close() {
        EndFontName();
        if (groups_.empty()) return false;
        group_ = groups_.back();
        groups_.pop_back();
        fallbackLeft_ = 0;
        return !groups_.empty();
    }

    // One character of the fallback text that follows \uN stands in for it.
    bool SkippedAsFallback() {
        if (fallbackLeft_ == 0) return false;
        --fallbackLeft_;
        return true;
    }

    void Control() {
        if (pos_ >= in_.size()) Broken("it ends inside a control word");
        char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            Symbol(c);
            return;
        }
        std::size_t start = pos_;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])) && pos_ - start < 32) ++pos_;
        std::string_view word = in_.substr(start, pos_ - start);
        bool hasParam = false, negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') negative = true, ++pos_;
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            hasParam = true;
            if (param < 1000000000) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        if (word == "bin") return Binary(hasParam ? static_cast<std::size_t>(param) : 0);
        if (SkippedAsFallback()) return;
        Word(word, hasParam, static_cast<int>(negative ? -param : param));
    }

    void Symbol(char c) {
        if (c == '\'') {
            int hi = pos_ < in_.size() ? HexDigit(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? HexDigit(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) return;  // not a byte: the sign is dropped
            pos_ += 2;
            Byte(static_cast<unsigned char>(hi * 16 + lo));
            return;
        }
        if (SkippedAsFallback()) return;
        switch (c) {
            case '\\':
            case '{':
            case '}': Byte(static_cast<unsigned char>(c)); break;
            case '~': Append(0x00A0); break;
            case '_': Append(0x2011); break;
            case '*': group_.destination = Destination::Skip; break;
            case '\r':
            case '\n': Append(u'\n'); break;
            default: break;  // \- optional hyphen, \| \: and the like show nothing
        }
    }

    void Binary(std::size_t count) {
        if (count > in_.size() - pos_) Broken("binary data runs past the end");
        pos_ += count;
    }

    void Word(std::string_view word, bool hasParam, int param) {
        if (auto d = Destinations().find(word); d != Destinations().end()) {
            if (group_.destination == Destination::Text) group_.destination = d->second;
            return;
        }
        switch (group_.destination) {
            case Destination::Skip: return;
            case Destination::FontTable:
                if (word == "f") EndFontName(), tableFont_ = param;
                return;
            case Destination::ColourTable:
                if (word == "red") colour_.setRed(std::clamp(param, 0, 255)), colourGiven_ = true;
                if (word == "green") colour_.setGreen(std::clamp(param, 0, 255)), colourGiven_ = true;
                if (word == "blue") colour_.setBlue(std::clamp(param, 0, 255)), colourGiven_ = true;
                return;
            case Destination::Text: break;
        }
        CharState& s = group_.chars;
        bool on = !hasParam || param != 0;
        if (word == "b") s.bold = on;
        else if (word == "i") s.italic = on;
        else if (word == "ul") s.underline = on;
        else if (word == "ulnone") s.underline = false;
        else if (word == "cf") s.colour = param;
        else if (word == "highlight") s.highlight = param;
        else if (word == "fs") s.halfPoints = hasParam && param > 0 ? param : -1;
        else if (word == "f") s.font = param;
        else if (word == "plain") s = CharState{};
        else if (word == "deff") defaultFont_ = param;
        else if (word == "uc") group_.fallback = std::max(param, 0);
        else if (word == "u" && hasParam) Unicode(param);
        else if (auto sym = Symbols().find(word); sym != Symbols().end()) Append(sym->second);
    }

    void Unicode(int value) {
        char32_t c = static_cast<char32_t>(value < 0 ? value + 65536 : value);
        if ((c >= 0x20 && c <= 0xFFFF) || c == '\t') Append(c);
        fallbackLeft_ = group_.fallback;
    }

    void Byte(unsigned char b) {
        if (!SkippedAsFallback()) Char(TextFile::Windows1252Char(b));
    }

    void Char(char32_t c) {
        switch (group_.destination) {
            case Destination::Text:
                if (c >= 0x20 || c == '\t') Append(c);
                break;
            case Destination::FontTable:
                if (c == ';') EndFontName();
                else AppendUnit(fontName_, c);
                break;
            case Destination::ColourTable:
                if (c == ';') {
                    colours_.push_back(colourGiven_ ? colour_ : QColor());
                    colour_ = QColor(0, 0, 0);
                    colourGiven_ = false;
                }
                break;
            case Destination::Skip: break;
        }
    }

    void Append(char32_t c) {
        if (group_.destination != Destination::Text) return;
        if (runs_.empty() || !(runs_.back().chars == group_.chars)) runs_.push_back({group_.chars, {}});
        AppendUnit(runs_.back().text, c);
    }

    static void AppendUnit(QString& text, char32_t c) {
        if (c < 0x10000) {
            text += QChar(static_cast<char16_t>(c));
        } else {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
        }
    }

    void EndFontName() {
        QString name = fontName_.trimmed();
        if (!name.isEmpty() && !fonts_.count(tableFont_)) fonts_[tableFont_] = name;
        fontName_.clear();
    }

    QTextCharFormat Format(const CharState& s) const {
        QTextCharFormat f;
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        if (s.colour >= 0 && s.colour < static_cast<int>(colours_.size()) && colours_[s.colour].isValid())
            f.setForeground(colours_[s.colour]);
        if (s.highlight > 0 && s.highlight < static_cast<int>(colours_.size()) && colours_[s.highlight].isValid())
            f.setBackground(colours_[s.highlight]);
        if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
        auto font = fonts_.find(s.font >= 0 ? s.font : defaultFont_);
        if (font != fonts_.end()) f.setFontFamilies({font->second});
        return f;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::vector<Group> groups_;
    Group group_;
    int fallbackLeft_ = 0;
    bool utf8_ = false;
    std::vector<Run> runs_;
    std::map<int, QString> fonts_;
    int defaultFont_ = -1, tableFont_ = 0;
    QString fontName_;
    std::vector<QColor> colours_;
    QColor colour_{0, 0, 0};
    bool colourGiven_ = false;
};

// Writing ------------------------------------------------------------------------------

void AppendEscaped(std::string& out, char32_t c) {
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == '\t') {
        out += "\\tab ";
    } else if (c == 0x2028) {
        out += "\\line ";
    } else if (c >= 0x20 && c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) {
        // control characters and the document's object and frame marks carry no text
    } else if (int b = TextFile::Windows1252Byte(c); b >= 0) {
        static const char hex[] = "0123456789abcdef";
        out += "\\'";
        out += hex[b >> 4];
        out += hex[b & 15];
    } else {
        auto unit = [&](char16_t u) { out += "\\u" + std::to_string(static_cast<int16_t>(u)) + "?"; };
        if (c < 0x10000) {
            unit(static_cast<char16_t>(c));
        } else {
            unit(QChar::highSurrogate(c));
            unit(QChar::lowSurrogate(c));
        }
    }
}

void AppendEscaped(std::string& out, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        AppendEscaped(out, c);
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& document) : document_(document) { Font(document.defaultFont().family()); }

    std::string Run() {
        bool first = true;
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
            if (!first) body_ += "\\par\r\n";
            first = false;
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                QTextFragment fragment = it.fragment();
                if (!fragment.isValid()) continue;
                Change(StateOf(fragment.charFormat()));
                AppendEscaped(body_, fragment.text());
            }
        }
        return Header() + body_ + "}";
    }

private:
    CharState StateOf(const QTextCharFormat& format) {
        QFont font = format.font().resolve(document_.defaultFont());
        CharState s;
        s.bold = font.bold();
        s.italic = font.italic();
        s.underline = font.underline();
        double points = font.pointSizeF() > 0 ? font.pointSizeF() : 12.0;
        s.halfPoints = static_cast<int>(points * 2 + 0.5);
        s.font = Font(font.family());
        s.colour = format.foreground().style() == Qt::NoBrush ? 0 : Colour(format.foreground().color());
        return s;
    }

    void Change(const CharState& s) {
        std::string words;
        if (!written_ || s.bold != now_.bold) words += s.bold ? "\\b" : "\\b0";
        if (!written_ || s.italic != now_.italic) words += s.italic ? "\\i" : "\\i0";
        if (!written_ || s.underline != now_.underline) words += s.underline ? "\\ul" : "\\ulnone";
        if (!written_ || s.colour != now_.colour) words += "\\cf" + std::to_string(s.colour);
        if (!written_ || s.font != now_.font) words += "\\f" + std::to_string(s.font);
        if (!written_ || s.halfPoints != now_.halfPoints) words += "\\fs" + std::to_string(s.halfPoints);
        if (!words.empty()) body_ += words + " ";
        now_ = s;
        written_ = true;
    }

    int Font(const QString& family) {
        auto it = std::find(fonts_.begin(), fonts_.end(), family);
        if (it != fonts_.end()) return static_cast<int>(it - fonts_.begin());
        fonts_.push_back(family);
        return static_cast<int>(fonts_.size() - 1);
    }

    int Colour(const QColor& colour) {
        QRgb rgb = colour.rgb();
        auto it = std::find(colours_.begin(), colours_.end(), rgb);
        if (it == colours_.end()) it = colours_.insert(colours_.end(), rgb);
        return static_cast<int>(it - colours_.begin()) + 1;
    }

    std::string Header() const {
        std::string h = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
        for (std::size_t i = 0; i < fonts_.size(); ++i) {
            h += "{\\f" + std::to_string(i) + "\\fnil ";
            AppendEscaped(h, fonts_[i]);
            h += ";}";
        }
        h += "}{\\colortbl ;";
        for (QRgb c : colours_)
            h += "\\red" + std::to_string(qRed(c)) + "\\green" + std::to_string(qGreen(c)) + "\\blue" +
                 std::to_string(qBlue(c)) + ";";
        return h + "}\r\n\\uc1\\pard";
    }

    const QTextDocument& document_;
    std::vector<QString> fonts_;
    std::vector<QRgb> colours_;
    std::string body_;
    CharState now_;
    bool written_ = false;
};

}  // namespace

namespace Rtf {

bool IsRtf(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

void Read(std::string_view rtf, QTextDocument& document) {
    Reader reader(rtf);
    reader.Parse();
    reader.Fill(document);
}

Loaded Load(std::string_view text, QTextDocument& document) {
    if (IsRtf(text)) {
        try {
            Read(text, document);
            return Loaded::Rich;
        } catch (const RuntimeError&) {
            document.setPlainText(QString::fromStdString(TextFile::Decode(text)));
            return Loaded::Broken;
        }
    }
    document.setPlainText(QString::fromStdString(TextFile::Decode(text)));
    return Loaded::Plain;
}

std::string Write(const QTextDocument& document) { return Writer(document).Run(); }

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = TextFile::NextUtf8(text, pos);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
            out += "\\par ";
        } else {
            AppendEscaped(out, c);
        }
    }
    return out;
}

}  // namespace Rtf
