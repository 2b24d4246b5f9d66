#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include "fixtures/ScratchHome.h"
#include "fixtures/ThreadCpu.h"
#include "platform/Rtf.h"
#include "platform/RuntimeError.h"

namespace {

// Every run of the document with what the subset keeps of its format.
std::vector<std::string> Runs(const QTextDocument& document) {
    std::vector<std::string> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat f = it.fragment().charFormat();
            QString s = it.fragment().text() + "|" + (f.fontWeight() >= QFont::Bold ? "b" : "") +
                        (f.fontItalic() ? "i" : "") + (f.fontUnderline() ? "u" : "") + "|" +
                        (f.foreground().style() == Qt::NoBrush ? "auto" : f.foreground().color().name()) + "|" +
                        QString::number(f.fontPointSize()) + "|" + f.fontFamilies().toStringList().join(",");
            runs.push_back(s.toStdString());
        }
        runs.push_back("\\par");
    }
    return runs;
}

std::string PlainOf(std::string_view rtf) {
    QTextDocument document;
    Rtf::Read(rtf, document);
    // The raw text keeps no-break spaces, which toPlainText makes ordinary ones.
    return document.toRawText().replace(QChar::ParagraphSeparator, '\n').toStdString();
}

class RtfTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTestApplication(); }
};

// A note of about `bytes` of bold, coloured, italic text with escapes, one paragraph a line.
std::string LongNote(size_t bytes) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}";
    const std::string line = "{\\b Weighed} 512 kg, {\\cf1\\i treated} for \\'e9 lameness \\u8364?\\par\r\n";
    while (rtf.size() < bytes) rtf += line;
    return rtf + "}";
}
double LoadMs(const std::string& rtf, QTextDocument& document) {
    ThreadCpu cpu;
    EXPECT_EQ(Rtf::Load(rtf, document), Rtf::Loaded::Rich);
    return cpu.UsedMs();
}
}  // namespace

TEST_F(RtfTest, WrittenDocumentReadsBackWithEveryFormatAndCharacter) {
    QTextDocument document;
    QTextCursor cursor(&document);
    auto add = [&](const QString& text, auto set) {
        QTextCharFormat f;
        f.setFontFamilies({"Arial"});
        f.setFontPointSize(10);
        set(f);
        cursor.insertText(text, f);
    };
    add("bold ", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    add("italic ", [](QTextCharFormat& f) { f.setFontItalic(true); });
    add("under", [](QTextCharFormat& f) { f.setFontUnderline(true); });
    add(" red big", [](QTextCharFormat& f) {
        f.setForeground(QColor(255, 0, 0));
        f.setFontPointSize(20);
    });
    cursor.insertBlock();
    add("Courier\tGänsefüße € Łódź 🐄", [](QTextCharFormat& f) { f.setFontFamilies({"Courier New"}); });
    add(QString("tag {\\} ") + QChar::LineSeparator + "next",
        [](QTextCharFormat& f) { f.setForeground(QColor(0, 0, 255)); });

    std::string rtf = Rtf::Write(document);
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return c > 0; })) << "only ASCII is written";
    EXPECT_NE(rtf.find("tag \\{\\\\\\} \\line next"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("G\\'e4nsef\\'fc\\'dfe \\'80 \\u321?\\'f3d\\u378? \\u-10179?\\u-9212?"), std::string::npos)
        << rtf;

    QTextDocument back;
    Rtf::Read(rtf, back);
    EXPECT_EQ(back.toRawText(), document.toRawText());
    EXPECT_EQ(Runs(back), Runs(document));
    EXPECT_EQ(Rtf::Write(back), rtf) << "a second trip changes nothing";
}

TEST_F(RtfTest, ReadsTablesTabsAndGroupsAsOtherWritersUseThem) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}"
        "{\\f1\\fmodern Courier{\\*\\falt Courier New};}}{\\colortbl ;\\red255\\green255\\blue255;"
        "\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\viewkind4\\uc1\\f0\\b\\fs16\\pard "
        "{\\ul Title}\\par \t\t{\\cf3 Upper}\\par \t{\\cf2\\f1\\b0\\i Middle}\\par Plain\\b0 }";
    QTextDocument document;
    Rtf::Read(rtf, document);
    EXPECT_EQ(document.toPlainText().toStdString(), "Title\n\t\tUpper\n\tMiddle\nPlain");
    std::vector<std::string> expected = {"Title|bu|auto|8|Arial",
                                         "\\par",
                                         "\t\t|b|auto|8|Arial",
                                         "Upper|b|#0000ff|8|Arial",
                                         "\\par",
                                         "\t|b|auto|8|Arial",
                                         "Middle|i|#ff0000|8|Courier",
                                         "\\par",
                                         "Plain|b|auto|8|Arial",
                                         "\\par"};
    EXPECT_EQ(Runs(document), expected);
}

TEST_F(RtfTest, SkipsWhatItDoesNotKnowAndHonoursUnicodeFallbacks) {
    // Unknown destinations, with groups inside, and known ones without text.
    EXPECT_EQ(PlainOf("{\\rtf1{\\*\\generator Pad 10;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}"
                      "{\\*\\unknown {deeper {still} text} more}a\\foo123 b\\qc\\sl240 c}"),
              "abc");
    // \uN skips one fallback character by default, as many as \ucN says, and none inside
    // a group that ends first.
    EXPECT_EQ(PlainOf("{\\rtf1 a\\u8364?b\\uc2\\u8364\\'80\\'80c{\\uc3\\u321 x}d\\uc0\\u321 e}"), "a€b€cŁdŁe");
    EXPECT_EQ(PlainOf("{\\rtf1 \\u-10179?\\u-9212?}"), "🐄");
    // Symbols, escapes, bytes in Windows-1252, raw text as UTF-8 when it is UTF-8.
    EXPECT_EQ(PlainOf("{\\rtf1 \\ldblquote x\\rdblquote\\~\\emdash\\{\\}\\\\\\'e9\\'zz}"), "“x”\u00A0—{}\\ézz");
    EXPECT_EQ(PlainOf("{\\rtf1 Gr\xC3\xBC\xC3\x9F"
                      "e}"),
              "Grüße");
    EXPECT_EQ(PlainOf("{\\rtf1 Gr\xFC\xDF"
                      "e}"),
              "Grüße");
    // Binary data is jumped over whole, braces in it included.
    EXPECT_EQ(PlainOf("{\\rtf1 a{\\*\\blob\\bin4 }{{x}b}"), "ab");
    // Text after the document's closing brace is not part of it.
    EXPECT_EQ(PlainOf(std::string("{\\rtf1 a}\r\n") + '\0' + "junk}"), "a");
}

TEST_F(RtfTest, PlainTextLoadsAsTextAndBrokenRtfIsReportedUnchanged) {
    QTextDocument document;
    EXPECT_EQ(Rtf::Load("Calved 3/4, {watch} \\ her\r\nSecond line", document), Rtf::Loaded::Plain);
    EXPECT_EQ(document.toPlainText().toStdString(), "Calved 3/4, {watch} \\ her\nSecond line");
    EXPECT_EQ(Rtf::Load("Caf\xE9", document), Rtf::Loaded::Plain);
    EXPECT_EQ(document.toPlainText().toStdString(), "Café");

    for (std::string broken : {"{\\rtf1 abc", "{\\rtf1 {\\b x}", "{\\rtf1 x\\", "{\\rtf1 \\bin99 ab}"}) {
        document.setPlainText("kept");
        EXPECT_THROW(Rtf::Read(broken, document), RuntimeError) << broken;
        EXPECT_EQ(document.toPlainText(), "kept") << "a refused text leaves the document as it was";
        EXPECT_EQ(Rtf::Load(broken, document), Rtf::Loaded::Broken) << broken;
        EXPECT_EQ(document.toPlainText().toStdString(), broken) << "shown as the text it is";
    }
    EXPECT_EQ(Rtf::Load("{\\rtf1 {\\b x}}", document), Rtf::Loaded::Rich);
}

TEST_F(RtfTest, EscapedTextCannotBreakTheRtfAroundIt) {
    const std::string text = "UK 1{2}3\\4 Zoë Łukasz\tend\r\nnext\rlast";
    EXPECT_EQ(Rtf::Escape(text), "UK 1\\{2\\}3\\\\4 Zo\\'eb \\u321?ukasz\\tab end\\par next\\par last");
    EXPECT_EQ(PlainOf("{\\rtf1\\uc1{\\cf2 " + Rtf::Escape(text) + "}\\par more}"),
              "UK 1{2}3\\4 Zoë Łukasz\tend\nnext\nlast\nmore");
}

// A note ten times longer costs about ten times as much, however fast the machine: a reader that
// went over the text again for each paragraph would cost a hundred times as much.
TEST_F(RtfTest, SeveralMegabyteNoteLoadsInOnePass) {
    QTextDocument document;
    const double tenth = LoadMs(LongNote(300'000), document);
    const double whole = LoadMs(LongNote(3'000'000), document);
    EXPECT_LT(whole, 25 * tenth + 100);
    if (ThreadCpu::kInstrumentation == 1.0) {
        EXPECT_LT(whole, 3000);
    }
    EXPECT_GT(document.blockCount(), 40'000);
    EXPECT_EQ(document.begin().text().toStdString(), "Weighed 512 kg, treated for é lameness €");
}
