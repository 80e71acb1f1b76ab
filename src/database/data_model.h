#pragma once
// The in-memory objects of a loaded database: the payload of every location-tree node,
// the database root with its map index, and the common reference data.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QString>

#include "block_pool.h"
#include "records.h"

// One realm of the map index (a search scope).
struct rRealm {
    std::string name; // short string of at most 42 characters
};

// One map (region) of the map index.
struct rRegion {
    int16_t mapId = 0;       // the region id of its zones
    uint8_t realm = 0;       // 1-based position of its realm
    uint8_t icon = 0;        // image index of the map node
    uint16_t homeZoneId = 0; // zone shown when the map is picked in the map menu
    int treeNode = kNoTreeNode;
    std::string name;        // short string of at most 40 characters
    uint8_t menuFlag = 0;    // has an entry in the map menu when not 0
};

// Font style bits as categpref.bin stores them.
enum FontStyleBit : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
uint8_t FontStyleBits(const QFont& font);
// itemcateg.bin codes: 1 bold, 2 italic, 3 both, anything else plain.
void ApplyFontStyleCode(QFont& font, uint8_t code);
// categpref.bin style bits, read back as written (so 1, 2 and 3 keep their meaning).
void ApplyFontStyleBits(QFont& font, uint8_t bits);

// Category kinds.
enum CategKind : uint8_t { kindNoLevel = 0, kindCreature = 1, kindLevelRange = 2, kindAttributes = 4 };

// One category of locations.
struct rCateg {
    std::string name;          // short string of at most 20 characters
    uint8_t id = 0;
    uint8_t treeIcon = 0;      // tree image index = treeIcon + 4
    uint8_t kind = 0;          // CategKind
    TColor colour = 0;
    uint32_t iconIndex = 0;    // icon number in DataDir + "baseico.bmp"
    uint8_t defaultNameFlag = 0;
    std::string defaultName;   // short string of at most 20 characters
    QFont font;
    uint8_t visible = 0;       // names of its locations are written on the map
    uint8_t linkable = 0;
    uint8_t detailClass = 0;   // level-of-detail class 1..3
    uint8_t iconsNow = 0;      // run time
    uint8_t labelsNow = 0;     // run time
    QImage icon;               // 11 x 11, white transparent
    // The values of itemcateg.bin, for the reset of the preferences dialog.
    std::string defaultFontName;
    int32_t defaultFontSize = 0;
    uint32_t defaultIconIndex = 0;
    TColor defaultColour = 0;
    uint8_t defaultFontStyle = 0; // FontStyleBit set
    uint8_t defaultVisible = 0;
};

struct rSpecColor {
    uint8_t id = 0;
    TColor colour = 0;
};

struct rColor {
    std::string name; // short string of at most 10 characters
    TColor colour = 0;
};

// The payload of one node of the location tree.
class TNodeData {
public:
    TNodeData() = default;
    // Builds the payload from a record; specColours may be null when the record has no item.
    TNodeData(const rnew_node& r, const std::vector<rSpecColor>* specColours);
    // The same, taking over the record's texts.
    TNodeData(rnew_node&& r, const std::vector<rSpecColor>* specColours);
    virtual ~TNodeData() = default;

    pMap_info* zone = nullptr;     // zone, category and location nodes
    rRegion* region = nullptr;     // map nodes: the map's record
    rCateg* category = nullptr;    // category and location nodes
    std::unique_ptr<rItemdata> item; // location nodes only

    // One per tree node, a million of them for a large database: they come from a pool
    // (block_pool.h), next to their items.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size) noexcept;
};

// Decodes a link text into item->command (none when the text is empty).
void DecodeLinkText(rItemdata& item, std::string text, int16_t regionId);
// Rewrites an old "P" world route into the "S_" form for a zone of the given region.
std::string ConvertPCommandToS(const std::string& text, int16_t regionId);

// The map index of a database: zones (sorted by name after loading), maps and realms.
class TData_map {
public:
    TData_map() = default;
    // Loads DatabaseLangDir + "vmarmap.bin" (S12 when missing or damaged), then sorts the zones.
    static std::unique_ptr<TData_map> Create();
    // Fills the three lists from a file; stops cleanly at damaged or truncated data.
    void LoadMapIndex(const QString& path);
    // Same from inflated bytes.
    void LoadMapIndexBytes(const uint8_t* data, size_t size);
    // Zones by name, letters A..Z compared without case, other characters by code.
    void SortZones();

    std::vector<std::unique_ptr<pMap_info>> zones;
    std::vector<std::unique_ptr<rRegion>> maps;
    std::vector<rRealm> realms;
    // The file was found, inflated and held every realm and map it counts (a trailing
    // partial zone record is ignored).
    bool loadedWhole = false;
};

// The root of a loaded database.
class TRealm_info {
public:
    TRealm_info(); // loads the map index
    explicit TRealm_info(std::unique_ptr<TData_map> map);
    virtual ~TRealm_info() = default;

    std::unique_ptr<TData_map> mapIndex;
    uint32_t headerValue = 0;  // master tag 201; additions are merged only when not 0
    float mergeWeight = 0.0f;  // weighted count of merged additions lines
    int32_t mergeCount = 0;
};

// The common reference data: categories, attribute names and colours, named colours, types.
class TData_common {
public:
    TData_common() = default;
    // Loads every table of the current database and language, in order.
    static std::unique_ptr<TData_common> Create();
    virtual ~TData_common() = default;

    void LoadItemCategories(const QString& path);
    void LoadItemCategoriesBytes(const uint8_t* data, size_t size);
    void LoadCategoryPrefs(const QString& path);
    void LoadCategoryPrefsBytes(const uint8_t* data, size_t size);
    // Writes categpref.bin through a temporary file; False (after message S22) on failure.
    bool SaveCategoryPrefs(const QString& path);
    // Writes the program folder's categpref.bin, which the owner does before it lets these
    // data go (a reload, the window's end). Nothing without categories or a program folder:
    // the file keeps every database's preferences. False after a failed write.
    bool SaveProgramCategoryPrefs();
    std::vector<uint8_t> CategoryPrefsBytes() const;
    void LoadColors();                         // ResDir + InterfaceLang + "/color.txt"
    void LoadColorsText(const std::string* text); // nullptr: no file
    void LoadMobSpecs();                       // DatabaseLangDir + "mobspec.txt"
    void LoadMobSpecsText(const std::string& text);
    void LoadTypeNames();                      // DatabaseLangDir + "type.txt"
    void LoadTypeNamesText(const std::string& text);

    rCateg* categoryById(uint8_t id) const; // first category with the id

    std::vector<tboolspec> specNames;
    std::vector<std::unique_ptr<rCateg>> categories;
    std::vector<rSpecColor> specColors;
    std::vector<rColor> colors;
    std::vector<std::string> typeNames;

    // itemcateg.bin was found, inflated and held at least one whole record (a trailing
    // partial record is ignored).
    bool categoriesWhole = false;
    // categpref.bin records whose id no loaded category has, kept to be written back
    // (the file is shared by every database).
    std::vector<std::vector<uint8_t>> foreignPrefRecords;
};

// The colour of the last attribute colour whose id the set holds, else the default.
TColor SpecColor(const SpecSet& attributes, TColor defaultColour, const std::vector<rSpecColor>& colours);

extern std::unique_ptr<TData_common> CommonData;
extern std::unique_ptr<TRealm_info> RealmInfo;
