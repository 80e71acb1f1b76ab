#pragma once
// The texts of one interface language folder (res/<language>/): ressource.txt, the category
// descriptions that ressource.txt carries in section T, color.txt, tips.txt and link.txt.
// All texts are Windows-1252 bytes.
#include <string>
#include <vector>

#include "data_model.h"
#include "records.h"

namespace sample {

// One line of ressource.txt: the section letter, the number written in columns 2 to 4 and
// the text. The loader numbers texts by their position in the file, so a table lists every
// id of a section from 1 upwards without a gap.
struct TextEntry {
    char section = 'C';
    int id = 0;
    std::string text;
};

struct LanguageTexts {
    std::string folder;                            // "Francais" or "English"
    std::vector<TextEntry> texts;                  // sections C, H, I, M, S and A in that order
    std::vector<std::string> categoryDescriptions; // T text n describes category id n (named demo categories)
    std::string otherCategoryDescription;          // T text of a further category, followed by its id
    std::vector<rColor> colours;                   // the ten named colours of color.txt
    std::vector<std::string> tips;                 // lines of tips.txt
    std::vector<rLink> links;                      // lines of link.txt after its header
};

const LanguageTexts& frenchTexts();
const LanguageTexts& englishTexts();

} // namespace sample
