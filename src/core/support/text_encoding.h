// Conversions between in-memory text (UTF-16) and byte arrays in Shift-JIS
// (Windows code page 932), UTF-16LE and UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jw {

using JwString = std::u16string;
using Bytes = std::vector<uint8_t>;

// s encoded in code page 932, no terminator. A character the code page cannot
// represent becomes "?" (a surrogate pair becomes a single "?").
Bytes AnsiBytes(std::u16string_view s);
// True when code page 932 represents every character of s (AnsiBytes then
// writes no "?" in place of one).
bool AnsiCanHold(std::u16string_view s);
// Appends the code page 932 bytes of s to out (the allocation-free form).
void AnsiAppend(std::u16string_view s, Bytes& out);
// True when b is the lead byte of a double-byte code of code page 932.
bool AnsiLeadByte(uint8_t b);
// bytes decoded from code page 932; the result ends before its first U+0000.
// A single byte the code page leaves undefined decodes as Windows does (0x80 to
// U+0080, 0xA0 to U+F8F0, 0xFD-0xFF to U+F8F1-U+F8F3); a lead byte whose
// trail byte makes no character gives U+30FB (both bytes consumed, or only
// the lead byte when the trail byte is below 0x40); a lead byte at the very
// end of the data is dropped.
JwString AnsiBytesStr(const uint8_t* data, size_t n);
JwString AnsiBytesStr(const Bytes& b);
// Like AnsiBytesStr, but decodes all n bytes (U+0000 stays in the result).
JwString AnsiBytesStrFull(const uint8_t* data, size_t n);
// Number of code page 932 bytes of s before the first zero byte.
int32_t AnsiLen(std::u16string_view s);
// Number of bytes before the first zero byte (the whole length when none).
int32_t ZeroLen(const Bytes& b);
// s as UTF-16LE, 2 bytes per code unit, no terminator.
Bytes WideBytes(std::u16string_view s);
// bytes decoded as UTF-16LE; the result ends before its first U+0000.
JwString WideBytesStr(const uint8_t* data, size_t n);
JwString WideBytesStr(const Bytes& b);
// s encoded in UTF-8 (a lone surrogate becomes U+FFFD).
Bytes Utf8Bytes(std::u16string_view s);
// Appends the UTF-8 bytes of s to out (the allocation-free forms).
void Utf8Append(std::u16string_view s, Bytes& out);
void Utf8Append(std::u16string_view s, std::string& out);

// Convenience conversions for the program's own use (command line, Qt, tests).
std::string ToUtf8(std::u16string_view s);
JwString FromUtf8(std::string_view s);

// A message for a terminal or a status line: UTF-8 text in which every
// control character (below U+0020, U+007F, U+0080 to U+009F) and every byte
// that begins no valid UTF-8 sequence is written as an escape ("\x1B",
// "\x07"; TAB, LF and CR as "\t", "\n", "\r"), so that file names and
// drawing texts inside it cannot act on the terminal. A backslash stays as it is.
std::string EscapeControls(std::string_view utf8);

}  // namespace jw
