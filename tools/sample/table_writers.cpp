// itemcateg.bin, categpref.bin, type.txt, mobspec.txt and color.txt.
#include <cstdio>

#include "byte_io.h"
#include "compressed.h"
#include "cp1252.h"
#include "sample_writers.h"

namespace sample {

namespace {

std::string fontName(const QFont& font)
{
    return ToCp1252(font.family()).value_or(std::string());
}

// itemcateg.bin's style code: 1 bold, 2 italic, 3 both, 0 plain.
uint8_t styleCode(const QFont& font)
{
    return uint8_t((font.bold() ? 1 : 0) | (font.italic() ? 2 : 0));
}

} // namespace

std::vector<uint8_t> itemCategoriesPayload(const std::vector<rCateg>& categories)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const rCateg& c : categories) { // 84 bytes
        w.shortString(c.name, 20);
        w.u8(c.id);
        w.u8(c.treeIcon);
        w.u8(c.kind);
        w.u32(c.colour);
        w.u32(c.iconIndex);
        w.u8(c.defaultNameFlag);
        w.shortString(c.defaultName, 20);
        w.u8(c.visible);
        w.u8(c.linkable);
        w.u8(c.detailClass);
        w.u8(styleCode(c.font));
        w.shortString(fontName(c.font), 20);
        w.u8(uint8_t(c.font.pointSize()));
        w.zeros(4);
    }
    return out;
}

std::vector<uint8_t> writeItemCategories(const std::vector<rCateg>& categories)
{
    const std::vector<uint8_t> payload = itemCategoriesPayload(categories);
    return DeflateBytes(payload.data(), payload.size());
}

std::vector<uint8_t> writeCategoryPrefs(const std::vector<rCateg>& categories)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const rCateg& c : categories) { // 56 bytes
        w.u8(c.id);
        w.zeros(3);
        w.u32(c.colour);
        w.u32(c.iconIndex);
        w.u8(c.visible);
        w.u8(FontStyleBits(c.font));
        w.shortString(fontName(c.font), 40);
        w.u8(uint8_t(c.font.pointSize()));
    }
    return out;
}

std::string writeTypeTxt(const std::vector<std::string>& typeNames, const std::string& header)
{
    std::vector<std::string> lines{header};
    lines.insert(lines.end(), typeNames.begin(), typeNames.end());
    return textLines(lines);
}

std::string writeMobSpecTxt(const std::vector<tboolspec>& specs, const std::vector<rSpecColor>& colours,
                            const std::vector<std::string>& comments)
{
    auto line = [](unsigned id, unsigned parent, TColor colour, const std::string& name) {
        char columns[32];
        std::snprintf(columns, sizeof columns, "%03u %03u %06X ", id & 0xFFu, parent & 0xFFu, colour & 0xFFFFFFu);
        return columns + name;
    };
    std::vector<std::string> lines;
    for (const std::string& c : comments) lines.push_back("#" + c);
    for (const tboolspec& s : specs) {
        TColor colour = 0;
        for (const rSpecColor& c : colours)
            if (c.id == s.id) {
                colour = c.colour;
                break;
            }
        lines.push_back(line(s.id, s.parentId, colour, s.name));
    }
    for (const rSpecColor& c : colours) {
        bool named = false;
        for (const tboolspec& s : specs) named = named || s.id == c.id;
        if (!named) lines.push_back(line(c.id, 0, c.colour, std::string()));
    }
    lines.push_back("@eof");
    return textLines(lines);
}

std::string writeColorTxt(const std::vector<rColor>& colours)
{
    std::vector<std::string> lines;
    for (const rColor& c : colours) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", c.colour & 0xFFFFFFu);
        lines.push_back(hex + c.name);
    }
    return textLines(lines);
}

} // namespace sample
