#include "database_globals.h"

uint8_t CurrentLangTag = 0;
bool RecolourAll = false;
std::vector<std::string> UrlList;
