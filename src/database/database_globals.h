#pragma once
// State of the loaded database that several parts of the program read.
#include <cstdint>
#include <string>
#include <vector>

// Language tag of the current database (first line of its url.bin); 0 at start.
extern uint8_t CurrentLangTag;
// Asks the next colour pass for a full recolour of every location.
extern bool RecolourAll;
// Endpoint lines of the current database's url.bin, after its first line.
extern std::vector<std::string> UrlList;
