#include "info_panel.h"

#include "delphi_conv.h"
#include "ressource.h"
#include "text_helpers.h"

std::vector<std::string> redirectNames(const std::string& description)
{
    std::vector<std::string> names;
    const std::string text = DelphiTrim(description);
    // state 0: outside a reference, 1: inside, 2: just closed
    int state = 0;
    std::string name;
    for (char c : text) {
        if (c == '{') {
            if (state == 1) name.clear();
            state = 1;
        } else if (c == '}') {
            state = state == 1 ? 2 : 0;
        } else if (state == 1) {
            name += c;
        }
        if (state == 2 && !name.empty()) {
            names.push_back(std::move(name));
            name.clear();
            state = 0;
        }
    }
    return names;
}

std::vector<std::string> popupRedirCaptions(const std::string& description)
{
    if (DelphiTrim(description).empty()) return {};
    std::vector<std::string> captions = redirectNames(description);
    captions.emplace_back("-");
    return captions;
}

std::vector<std::string> infoMemoLines(const std::string& description, uint8_t typeId,
                                       const std::vector<std::string>& typeNames)
{
    std::string text;
    // A type beyond the loaded type list has no name to show: its line is left out
    // rather than leaving the panel half filled.
    if (typeId != 0 && typeId < typeNames.size())
        text = GetCaptionText(128) + " " + typeNames[typeId] + "||";
    text += description;
    return TextToLines(FormatLabelText(text, false));
}
