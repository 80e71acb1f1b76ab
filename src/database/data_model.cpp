#include "data_model.h"

#include <type_traits>

#include "con_colors.h"
#include "image_helpers.h"
#include "text_helpers.h"

std::unique_ptr<TData_common> CommonData;
std::unique_ptr<TRealm_info> RealmInfo;

uint8_t FontStyleBits(const QFont& font)
{
    uint8_t bits = 0;
    if (font.bold()) bits |= fsBold;
    if (font.italic()) bits |= fsItalic;
    if (font.underline()) bits |= fsUnderline;
    if (font.strikeOut()) bits |= fsStrikeOut;
    return bits;
}

void ApplyFontStyleCode(QFont& font, uint8_t code)
{
    font.setBold(code == 1 || code == 3);
    font.setItalic(code == 2 || code == 3);
    font.setUnderline(false);
    font.setStrikeOut(false);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string ConvertPCommandToS(const std::string& text, int16_t regionId)
{
    uint32_t ux = 0, uy = 0;
    if (!hexDigitsValue(text, 2, 8, ux) || !hexDigitsValue(text, 10, 8, uy)) return text;
    int64_t x = int32_t(ux), y = int32_t(uy);
    if (regionId != 0) {
        x -= 0x2FFFD;
        y -= 0x4FFFB;
    } else {
        x -= 0x1FFFE;
        y -= 0x3FFFC;
    }
    return "S_" + intToHex8(x) + intToHex8(y) + text.substr(18);
}

void DecodeLinkText(rItemdata& item, std::string text, int16_t regionId)
{
    item.command.reset();
    if (text.empty()) return;
    auto cmd = std::make_unique<rCommand>();
    switch (text[0]) {
    case 'V':
        // "V_" then the options: always shown, colour index, alpha digit, one more digit.
        if (text.size() >= 6 && isDigit(text[2]) && isDigit(text[3]) && isDigit(text[4]) && isDigit(text[5])) {
            cmd->route = 1;
            cmd->alwaysShown = text[2] == '1';
            cmd->colourIndex = uint8_t(text[3] - '0');
            cmd->colour32 = AlphaByIndex(text[4] - '0');
        }
        break;
    case 'P': {
        uint32_t dummy;
        if (hexDigitsValue(text, 2, 8, dummy) && hexDigitsValue(text, 10, 8, dummy)) {
            cmd->worldRoute = 1;
            cmd->colour32 = ColorToColor32(item.colour, 0x44000000u);
            text = ConvertPCommandToS(text, regionId);
        }
        break;
    }
    case 'W':
        text.clear();
        break;
    case 'S':
        cmd->worldRoute = 1;
        cmd->colour32 = ColorToColor32(item.colour, 0x44000000u);
        break;
    default:
        break;
    }
    if (text == "RC") text.clear();
    cmd->text = std::move(text);
    item.command = std::move(cmd);
}

namespace {
// Builds the item part; R is rnew_node& when the texts may be taken over, const otherwise.
template <class R>
std::unique_ptr<rItemdata> makeItem(R& r, const rCateg* category, const pMap_info* zone,
                                    const std::vector<rSpecColor>* specColours)
{
    constexpr bool take = !std::is_const_v<R>;
    auto item = std::make_unique<rItemdata>();
    rItemdata& it = *item;
    if constexpr (take) {
        it.name = std::move(r.name);
        if (it.name.size() > kItemNameMax) it.name.resize(kItemNameMax);
        it.description = std::move(r.description);
    } else {
        it.setName(r.name);
        it.description = r.description;
    }
    it.x = uint16_t(r.x);
    it.y = uint16_t(r.y);
    it.typeId = uint8_t(r.typeId);
    it.languageTag = uint8_t(r.languageTag);
    it.attributes = r.attributes;
    it.id = r.id;
    it.fromMaster = uint8_t(r.fromMaster);
    it.locked = uint8_t(r.locked);
    if (category) {
        it.colour = (category->kind == kindAttributes && specColours)
                        ? SpecColor(it.attributes, category->colour, *specColours)
                        : category->colour;
        if (category->kind != kindNoLevel) {
            it.levelMin = uint8_t(r.levelMin);
            it.levelMax = uint8_t(r.levelMax);
        }
    }
    if constexpr (take)
        DecodeLinkText(it, std::move(r.linkText), zone ? zone->regionId : 0);
    else
        DecodeLinkText(it, r.linkText, zone ? zone->regionId : 0);
    return item;
}
} // namespace

TNodeData::TNodeData(const rnew_node& r, const std::vector<rSpecColor>* specColours)
    : zone(r.zone), category(r.category)
{
    if (r.hasItem) item = makeItem(r, category, zone, specColours);
}

TNodeData::TNodeData(rnew_node&& r, const std::vector<rSpecColor>* specColours)
    : zone(r.zone), category(r.category)
{
    if (r.hasItem) item = makeItem(r, category, zone, specColours);
}

static_assert(alignof(TNodeData) <= 8);

void* TNodeData::operator new(size_t size)
{
    return RecordPool().allocate(size);
}

void TNodeData::operator delete(void* p, size_t size) noexcept
{
    RecordPool().deallocate(p, size);
}

TColor SpecColor(const SpecSet& attributes, TColor defaultColour, const std::vector<rSpecColor>& colours)
{
    TColor result = defaultColour;
    for (const rSpecColor& c : colours)
        if (HasSpec(attributes, c.id)) result = c.colour;
    return result;
}
