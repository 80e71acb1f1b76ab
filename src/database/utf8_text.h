#pragma once
// Text files that an editor saved as UTF-8 with a byte-order mark, read as the Windows-1252
// bytes that the program holds for every text of the data.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The text starts with the UTF-8 byte-order mark EF BB BF.
bool HasUtf8Mark(std::string_view bytes);

// The text after the mark as Windows-1252, every line ended by CR LF (lines end at CR LF,
// CR or LF). A character with no Windows-1252 form, or a byte that is not UTF-8, becomes
// "?"; the 1-based numbers of the lines where that happened go to `lossyLines`.
std::string Utf8TextToCp1252(std::string_view bytes, std::vector<size_t>& lossyLines);
