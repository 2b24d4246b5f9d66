#pragma once
#include <string>
#include <string_view>

class QTextDocument;

// Rich text as the program stores and saves it: notes kept as RTF in the database and charts
// saved as .rtf files, read into a QTextDocument for a QTextEdit and written back from it.
//
// The reader knows groups, \rtf1, the font and colour tables, \b \i \ul \ulnone \cf
// \highlight \fs \f \plain \par \line \tab, the common typographic symbols, \'hh
// (Windows-1252), \uN with its fallback characters (\ucN, one by default) and \binN.
// Destinations of no text (font and colour tables, style sheets, document information,
// pictures, headers, footers) and every {\*\...} group are skipped; any other control word
// is ignored, so a note written by another word processor loads with the formatting this
// subset knows. It runs in one pass over the text, so a note of several megabytes loads in
// well under a second.
//
// The writer gives ASCII RTF with a font and a colour table and, per run of text, its
// bold, italic, underline, colour, size and font; \, { and } are escaped, other characters
// are written as \'hh where Windows-1252 has them and as \uN? otherwise.
namespace Rtf {

// True when the text is RTF at all (it starts "{\rtf"); anything else is plain text.
bool IsRtf(std::string_view text);

// Replaces the document's content by the RTF's. RuntimeError when the text is not RTF or is
// cut short (a group never closed, a control word or \bin data cut off by the end): the
// document is then left as it was. Text after the document's closing brace is not read.
void Read(std::string_view rtf, QTextDocument& document);

// How Load found the text.
enum class Loaded { Rich, Plain, Broken };
// Loads stored text into the document: RTF as rich text, anything else as plain text, and
// RTF that Read refuses as its plain text too, with Broken returned so that the caller keeps
// the stored text rather than writing the plain text back over it.
Loaded Load(std::string_view text, QTextDocument& document);

// The document as RTF.
std::string Write(const QTextDocument& document);

// Plain text (UTF-8) as RTF body text, for callers that build RTF themselves: \, { and }
// escaped, non-ASCII by the writer's rule, tabs as \tab and line ends (CR LF, LF or CR) as
// \par, so that no text can break the RTF around it.
std::string Escape(std::string_view text);

}  // namespace Rtf
