#pragma once
// url.bin, the endpoint list of a database: one zlib stream whose bytes are scrambled
// under a fixed key; unscrambled, text lines: the database's language tag in decimal,
// then the endpoints (mail recipient, web page, update list pieces, upload address).
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

constexpr const char* kUrlListKey = "qzlwrnvt";
enum UrlEntry { urlMail = 0, urlWebPage = 1, urlUpdate2 = 2, urlUpdate3 = 3, urlUpload = 4 };

// Splits the unscrambled bytes; False when there is no line or the first is not a number
// from 0 to 255.
bool ParseUrlList(const std::string& text, std::vector<std::string>& entries, uint8_t& langTag);
// Refills UrlList and CurrentLangTag from DatabaseLangDir + "url.bin". A missing or damaged
// file leaves the list empty and the language tag as it was (logged). Lines end at CR LF,
// LF or CR.
bool load_urllist();
// The entry at index, or empty when the list is shorter.
std::string UrlEntryAt(size_t index);
// The bytes of a url.bin for these lines (for tools and tests).
std::vector<uint8_t> MakeUrlBin(const std::vector<std::string>& lines);
