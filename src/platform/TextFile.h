#pragma once
#include <string>
#include <string_view>
#include <vector>

// Text files as the keeper's files come: written by this program (UTF-8), by older programs
// and suppliers (the Western single-byte code page), on any system (CR LF, LF or CR ends).
// Text inside the program is UTF-8 throughout; this is where bytes become text and back.
namespace TextFile {

// True when the bytes are valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view bytes);
// The bytes as text: kept when they are valid UTF-8 (a leading byte-order mark dropped),
// otherwise every byte read as Windows-1252.
std::string Decode(std::string_view bytes);
// The file's text by Decode; RuntimeError when it cannot be read.
std::string Read(const std::string& path);

// The lines of a text, split at CR LF, LF or CR. A line end after the last line starts no
// further line, so "a\r\nb\r\n" and "a\nb" both give {"a", "b"} and "" gives none.
std::vector<std::string> SplitLines(std::string_view text);
// The number of characters of UTF-8 text (not its bytes).
std::size_t CharCount(std::string_view utf8);
// Read and SplitLines together.
std::vector<std::string> ReadLines(const std::string& path);
// Every line end of a text (CR LF, LF or CR) as CR LF.
std::string WithCrLf(std::string_view text);

// Writes the bytes in place of the file in one step: they go to a new file beside it, which
// is flushed and then renamed over the old one, so a failure (a full disk, a folder that
// cannot be written) leaves the old file as it was and no partial file. RuntimeError then.
void Replace(const std::string& path, std::string_view bytes);
// Writes the bytes as a new file at `path` unless a file is there already, which is kept as
// it is (another copy of the program may have made it meanwhile). The name never shows a
// part-written file. True when this call made the file; RuntimeError when it cannot.
bool CreateIfAbsent(const std::string& path, std::string_view bytes);

// A new, empty file in the folder of `path`, named after it and hidden, made with the
// permissions new files get; its path is returned and, with `descriptor`, it is left open for
// writing there. For writing a file whole before it takes its name. RuntimeError when the
// folder cannot take it.
std::string NewFileBeside(const std::string& path, int* descriptor = nullptr);

// Windows-1252, for peers that take single-byte text. A character the code page lacks is
// written as "?" and, when `lacking` is given, the first such character is put there (UTF-8;
// left empty when every character has a byte).
std::string ToWindows1252(std::string_view utf8, std::string* lacking = nullptr);
std::string FromWindows1252(std::string_view bytes);
// The code page's byte for one character, or -1 when it has none.
int Windows1252Byte(char32_t c);
// The character of one byte (the five bytes the code page leaves unassigned stand for the
// control characters of the same number, so that any byte survives a round trip).
char32_t Windows1252Char(unsigned char byte);

// UTF-8 helpers for the layer's own readers and writers.
void AppendUtf8(std::string& out, char32_t c);
// The character at `pos` of valid UTF-8, moving `pos` past it.
char32_t NextUtf8(std::string_view text, std::size_t& pos);

}  // namespace TextFile
