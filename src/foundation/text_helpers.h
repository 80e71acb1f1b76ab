#pragma once
// Small text routines shared by the loaders, the tree, the map and the editor.
// Every text here is Windows-1252 bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records.h"

// Upper case with the French accents folded (a, à, â, ä -> A, ç -> C, ...).
char UpCaseNoAccent(char c);
// UpCaseNoAccent of every byte: the key of every name comparison.
std::string NormalizeText(const std::string& text);
// Same into a caller-owned buffer of text.size() bytes (no allocation).
void NormalizeInto(const char* src, size_t n, char* dst);

// Distance in whole thousands of world units, computed in 64 bits.
int64_t CalcDistance(WorldPoint p, WorldPoint q);

// Stored text to display text: with breaks, "|" becomes CR; "{" and "}" go; "@" becomes " -> ".
std::string FormatLabelText(const std::string& text, bool breaks);

// The lines a memo gets for a stored text whose "|" separate lines.
std::vector<std::string> TextToLines(const std::string& text);
// Joins memo lines with "|"; empty lines after the first are dropped.
std::string LinesToText(const std::vector<std::string>& lines);

// The lines of a text file's bytes: split at CR LF, LF or a lone CR; a final line break
// does not start another line.
std::vector<std::string> SplitTextLines(const std::string& text);

// A decimal text clamped to 0..65; empty or non-numeric gives 0.
int StrToCoord(const std::string& text);
// The low 16 bits as 4 upper-case hexadecimal digits.
std::string IntToHex4(int64_t value);
// The low 32 bits as 8 upper-case hexadecimal digits (a negative value gives its
// 32-bit two's complement).
std::string intToHex8(int64_t value);
// The value of `count` (at most 8) hexadecimal digits of either case starting at byte
// `from`; false, leaving `out` alone, when the text is too short there or holds another
// character.
bool hexDigitsValue(std::string_view text, size_t from, size_t count, uint32_t& out);
bool IsErasedName(const std::string& text);
bool IsComment(const std::string& text);
