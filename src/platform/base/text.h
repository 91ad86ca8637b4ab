// Text helpers. Inside the module every std::string holds UTF-8; GBK appears only at the
// edges (exports, omra.ini, external libraries) and is converted with ToGbk / FromGbk.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace yz::text {

// Number of characters (code points) in a UTF-8 text. Invalid bytes count as one each.
size_t Length(std::string_view s);
// Characters [start, start+count) of a UTF-8 text, 0-based, clipped to the text.
std::string Substr(std::string_view s, size_t start, size_t count = std::string_view::npos);
// The last n characters ("RightText").
std::string Right(std::string_view s, size_t n);
// The first n characters.
std::string Left(std::string_view s, size_t n);
// Byte offset of character index i (or s.size() when past the end).
size_t ByteOffset(std::string_view s, size_t charIndex);

// Blanks and control characters (<= ' ') removed from both ends / one end.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// ASCII-only case mapping; other bytes are kept as they are.
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
// Case-insensitive (ASCII) comparison.
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool Contains(std::string_view s, std::string_view part);

std::vector<std::string> Split(std::string_view s, char sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// Doubles every single quote, for a text put between quotes in SQL.
std::string QuoteSql(std::string_view s);
// 'text' with inner quotes doubled.
std::string SqlLiteral(std::string_view s);

// True when s is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);
// Replaces every invalid UTF-8 sequence by U+FFFD.
std::string SanitizeUtf8(std::string_view s);

// GBK (code page 936, as GB18030 superset decoding) <-> UTF-8. Invalid or unmappable bytes
// are replaced ('?' towards GBK, U+FFFD towards UTF-8); these never throw.
std::string FromGbk(std::string_view gbk);
std::string ToGbk(std::string_view utf8);

}  // namespace yz::text
