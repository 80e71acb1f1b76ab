// The categories, tables, locations, additions and endpoint list of the demo database.
#include "demo_content.h"

#include <algorithm>
#include <unordered_set>

#include "demo_links.h"
#include "demo_names.h"
#include "demo_random.h"
#include "demo_world.h"
#include "spec_set.h"

namespace sample {

namespace {

constexpr uint32_t kFirstLocationId = 0x200;
constexpr uint32_t kDatabaseLangTag = 1; // url.bin's first line: the database's language
constexpr uint32_t kOtherLangTag = 2;

// What a category's locations are: it decides their names, levels, attributes and links.
enum Role {
    roleCreature, roleMerchant, roleResource, roleRare, roleBoss, roleTrainer, roleQuest, rolePoi,
    roleDungeon, rolePortal, rolePet, roleRoute, roleHunt, roleTown, roleBank, roleStable, roleOther
};

struct CategoryPlan {
    Role role;
    uint8_t kind;
    int weight; // share of the locations
    TColor colour;
    uint8_t detailClass;
    uint8_t visible;
    uint8_t linkable;
    const char* font;
    int fontSize;
    bool bold, italic;
};

// In the order of the category names of demoNames(); the first four cover the kinds 1, 0, 2 and 4.
const CategoryPlan kNamedPlans[] = {
    {roleCreature, kindCreature, 40, 0x3030C0, 1, 1, 1, "Arial", 8, false, false},
    {roleMerchant, kindNoLevel, 6, 0x30A0F0, 2, 1, 1, "Arial", 8, false, false},
    {roleResource, kindLevelRange, 12, 0x40B040, 3, 0, 0, "Arial", 7, false, false},
    {roleRare, kindAttributes, 3, 0xC080C0, 1, 1, 1, "Arial", 8, true, false},
    {roleBoss, kindCreature, 2, 0x2020FF, 1, 1, 1, "Arial", 9, true, false},
    {roleTrainer, kindNoLevel, 3, 0xF0B040, 2, 1, 1, "Arial", 8, false, false},
    {roleQuest, kindLevelRange, 5, 0x00E0E0, 2, 1, 1, "Arial", 8, false, true},
    {rolePoi, kindNoLevel, 8, 0xD0D0D0, 2, 1, 1, "Arial", 8, false, true},
    {roleDungeon, kindLevelRange, 2, 0x404080, 1, 1, 1, "Arial", 9, true, false},
    {rolePortal, kindNoLevel, 1, 0xFF60A0, 1, 1, 1, "Arial", 8, false, false},
    {rolePet, kindAttributes, 2, 0x80C0A0, 3, 1, 0, "Arial", 7, false, true},
    {roleRoute, kindNoLevel, 2, 0x60FFFF, 2, 1, 1, "Arial", 8, false, true},
    {roleHunt, kindCreature, 2, 0x2060A0, 2, 1, 1, "Arial", 8, false, false},
    {roleTown, kindNoLevel, 1, 0xFFFFFF, 1, 1, 1, "Times New Roman", 10, true, true},
    {roleBank, kindNoLevel, 1, 0x00D7FF, 3, 1, 1, "Arial", 7, false, false},
    {roleStable, kindNoLevel, 1, 0x4080C0, 3, 1, 1, "Arial", 7, false, false},
};
constexpr int kTreeIcons = 12;  // category images of icon_c.bmp, after its four first images
constexpr int kStripIcons = 16; // icons of baseico.bmp
const TColor kOtherColours[] = {0x8080FF, 0x80FF80, 0xFF8080, 0x80FFFF, 0xFF80FF, 0xFFFF80};
const uint8_t kOtherKinds[] = {kindNoLevel, kindCreature, kindLevelRange, kindAttributes};

// Unit directions of the outlines of areas, in thousandths, going round without trigonometry.
const int kDirections[8][2] = {{1000, 0}, {707, 707}, {0, 1000}, {-707, 707},
                               {-1000, 0}, {-707, -707}, {0, -1000}, {707, -707}};

struct ZoneState {
    std::unordered_set<uint32_t> occupied; // x << 16 | y of every location of the zone
    std::vector<std::string> linkNames;    // names of its locations in linkable categories
    int levelBase = 1;
};

class LocationMaker {
public:
    LocationMaker(DemoRandom& rng, DemoDatabase& db, std::vector<Role> roles)
        : rng_(rng), db_(db), names_(demoNames()), roles_(std::move(roles)), zones_(db.mapIndex.zones.size())
    {
        for (size_t z = 0; z < zones_.size(); ++z) {
            const int mapId = db.mapIndex.zones[z].regionId;
            zones_[z].levelBase = std::clamp(1 + (mapId * 9) % 45 + rng_.between(0, 4), 1, 55);
        }
        for (const rCateg& c : db.categories) weightTotal_ += weightOf(c);
    }

    // The position of a category in db.categories, drawn by weight.
    size_t pickCategory()
    {
        int v = rng_.between(0, weightTotal_ - 1);
        for (size_t i = 0; i < db_.categories.size(); ++i) {
            v -= weightOf(db_.categories[i]);
            if (v < 0) return i;
        }
        return 0;
    }

    size_t pickZone() { return size_t(rng_.between(0, int(zones_.size()) - 1)); }

    rnew_node make(size_t category, size_t zone, bool fromMaster);

private:
    int weightOf(const rCateg& c) const
    {
        const size_t i = size_t(c.id - 1);
        return i < std::size(kNamedPlans) ? kNamedPlans[i].weight : 1;
    }
    VecPoint freePoint(size_t zone);
    WorldPoint world(size_t zone, int x, int y) const
    {
        const pMap_info& z = db_.mapIndex.zones[zone];
        return {z.originX + x, y - z.originY};
    }
    std::string name(Role role, rnew_node& r);
    void levels(Role role, uint8_t kind, size_t zone, rnew_node& r);
    void attributes(Role role, rnew_node& r);
    std::string description(Role role, size_t zone);
    std::string link(Role role, size_t zone, const rnew_node& r);
    std::string routeText(const rnew_node& r);
    std::vector<WorldPoint> areaOutline(size_t zone, const rnew_node& r);

    DemoRandom& rng_;
    DemoDatabase& db_;
    const DemoNames& names_;
    std::vector<Role> roles_;
    std::vector<ZoneState> zones_;
    int weightTotal_ = 0;
};

VecPoint LocationMaker::freePoint(size_t zone)
{
    for (;;) {
        const VecPoint p{uint16_t(rng_.between(1500, 64000)), uint16_t(rng_.between(1500, 64000))};
        if (zones_[zone].occupied.insert(uint32_t(p.x) << 16 | p.y).second) return p;
    }
}

std::string LocationMaker::name(Role role, rnew_node& r)
{
    const DemoNames& n = names_;
    auto pair = [&](const Words& a, const Words& b) { return rng_.pick(a) + " " + rng_.pick(b); };
    auto person = [&](const std::vector<DemoNames::Role>& roles) {
        const DemoNames::Role& role = rng_.pick(roles);
        return rng_.chance(50) ? role.first + " " + rng_.pick(n.maleNames) : role.second + " " + rng_.pick(n.femaleNames);
    };
    switch (role) {
    case roleCreature:
    case roleRare: {
        const size_t c = size_t(rng_.between(0, int(n.creatures.size()) - 1));
        r.typeId = uint32_t(n.creatureTypes[c]);
        return n.creatures[c] + " " + rng_.pick(n.complements);
    }
    case roleBoss: r.typeId = 1; return pair(n.bossNames, n.bossTitles);
    case roleMerchant: r.typeId = 5; return person(n.merchantRoles);
    case roleTrainer: r.typeId = 6; return person(n.trainerRoles);
    case roleResource: r.typeId = 7; return rng_.pick(n.resources);
    case roleQuest: return rng_.pick(n.quests);
    case rolePoi: r.typeId = 8; return pair(n.pois, n.complements);
    case roleDungeon: r.typeId = 8; return rng_.pick(n.dungeons);
    case rolePortal: r.typeId = 8; return n.portalWord; // the target zone's name follows (link)
    case rolePet: r.typeId = 2; return pair(n.pets, n.complements);
    case roleRoute: return rng_.pick(n.routes);
    case roleHunt: r.typeId = 2; return pair(n.hunts, n.complements);
    case roleTown: r.typeId = 8; return rng_.pick(n.towns);
    case roleBank: r.typeId = 8; return n.bankWord + " " + rng_.pick(n.towns);
    case roleStable: r.typeId = 8; return n.stableWord + " " + rng_.pick(n.towns);
    case roleOther: return n.otherWord + " " + syllableName(rng_);
    }
    return n.otherWord;
}

void LocationMaker::levels(Role role, uint8_t kind, size_t zone, rnew_node& r)
{
    if (kind == kindNoLevel) return; // such categories keep no level range
    const int base = zones_[zone].levelBase;
    int lo, hi;
    switch (role) {
    case roleBoss: lo = hi = base + rng_.between(5, 8); break;
    case roleResource: lo = hi = std::max(1, rng_.between(0, 15) * 5); break;
    case roleQuest: lo = base; hi = base + 2; break;
    case roleDungeon: lo = base + 3; hi = lo + 6; break;
    case roleHunt: lo = base; hi = base + 5; break;
    case rolePet: lo = hi = rng_.between(1, 20); break;
    default: lo = std::clamp(base + rng_.between(-2, 4), 1, 60); hi = lo + rng_.between(0, 3); break;
    }
    r.levelMin = uint32_t(std::clamp(lo, 1, 99));
    r.levelMax = uint32_t(std::clamp(hi, lo, 99));
}

void LocationMaker::attributes(Role role, rnew_node& r)
{
    SpecSet& s = r.attributes;
    auto maybe = [&](int percent, int id) {
        if (rng_.chance(percent)) SetSpec(s, id, true);
    };
    switch (role) {
    case roleCreature:
    case roleOther:
        SetSpec(s, rng_.chance(70) ? 2 : 3, true); // aggressive or passive
        maybe(30, 4);
        maybe(20, 5);
        maybe(40, rng_.between(11, 14)); // one resistance
        maybe(40, rng_.between(21, 22)); // skin or ore
        maybe(8, 33);                    // elite
        maybe(10, rng_.between(66, 67)); // flies or swims
        maybe(3, 96);                    // burrows
        break;
    case roleBoss:
        SetSpec(s, 2, true);
        SetSpec(s, 35, true);
        maybe(50, 64);
        maybe(60, rng_.between(11, 14));
        break;
    case roleRare:
        SetSpec(s, 34, true);
        maybe(50, 23);
        maybe(30, 33);
        break;
    case rolePet:
        SetSpec(s, 3, true);
        SetSpec(s, rng_.pick(std::vector<int>{66, 67, 96}), true);
        maybe(20, 34);
        break;
    case roleHunt:
        SetSpec(s, 2, true);
        SetSpec(s, 6, true);
        break;
    default: break;
    }
}

std::string LocationMaker::description(Role role, size_t zone)
{
    std::vector<std::string> lines;
    const int count = rng_.between(0, 99);
    const Words& phrases = role == roleResource ? names_.resourcePhrases
                           : role == roleCreature || role == roleBoss || role == roleRare || role == rolePet ||
                                   role == roleHunt || role == roleOther
                               ? names_.creaturePhrases
                               : names_.placePhrases;
    for (int i = count < 30 ? 0 : count < 65 ? 1 : count < 90 ? 2 : 3; i > 0; --i) lines.push_back(rng_.pick(phrases));
    // References to other locations of the zone become link lines on the map.
    const std::vector<std::string>& candidates = zones_[zone].linkNames;
    if (!candidates.empty() && rng_.chance(role == roleQuest ? 60 : 12))
        lines.push_back(rng_.pick(names_.referenceWords) + " {" + rng_.pick(candidates) + "}.");
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "|") + line;
    return text;
}

std::string LocationMaker::routeText(const rnew_node& r)
{
    std::string options;
    options += rng_.chance(30) ? '1' : '0';
    options += char('0' + rng_.between(0, 9));
    options += char('0' + rng_.between(3, 9));
    options += '1';
    std::vector<VecPoint> waypoints;
    int x = int(r.x), y = int(r.y);
    for (int n = rng_.between(2, 6); n > 0; --n) {
        const int step = waypoints.empty() ? 4000 : 9000;
        x = std::clamp(x + rng_.between(-step, step), 500, 65035);
        y = std::clamp(y + rng_.between(-step, step), 500, 65035);
        waypoints.push_back({uint16_t(x), uint16_t(y)});
    }
    return routeCode(options, waypoints);
}

std::vector<WorldPoint> LocationMaker::areaOutline(size_t zone, const rnew_node& r)
{
    const WorldPoint centre = world(zone, int(r.x), int(r.y));
    std::vector<WorldPoint> points;
    for (const auto& d : kDirections) {
        if (points.size() >= 3 && rng_.chance(25)) continue;
        const int radius = rng_.between(3000, 9000);
        points.push_back({centre.x + d[0] * radius / 1000, centre.y + d[1] * radius / 1000});
    }
    return points;
}

std::string LocationMaker::link(Role role, size_t zone, const rnew_node& r)
{
    switch (role) {
    case roleRoute: return routeText(r);
    case roleCreature: return rng_.chance(5) ? routeText(r) : std::string(); // a patrol
    case roleHunt: {
        const std::vector<WorldPoint> outline = areaOutline(zone, r);
        return rng_.chance(75) ? worldRouteCode(outline) : oldWorldRoute(outline, db_.mapIndex.zones[zone].regionId);
    }
    default: return std::string();
    }
}

rnew_node LocationMaker::make(size_t category, size_t zone, bool fromMaster)
{
    const rCateg& c = db_.categories[category];
    const Role role = roles_[category];
    const pMap_info& z = db_.mapIndex.zones[zone];
    rnew_node r;
    r.zoneId = uint16_t(z.zoneId);
    r.categoryId = c.id;
    const VecPoint p = freePoint(zone);
    r.x = p.x;
    r.y = p.y;
    r.hasItem = 1;
    r.fromMaster = fromMaster ? 1 : 0;
    r.name = name(role, r);
    if (role == rolePortal) {
        // A place code to a point of another zone, preferably on another map.
        const size_t target = zones_.size() > 1 ? (zone + 1 + size_t(rng_.between(0, int(zones_.size()) - 2))) % zones_.size() : zone;
        const pMap_info& t = db_.mapIndex.zones[target];
        r.name += " " + t.name;
        r.linkText = placeCode(t.zoneId, uint16_t(rng_.between(2000, 63000)), uint16_t(rng_.between(2000, 63000)));
    }
    r.name = r.name.substr(0, kItemNameMax - 1); // room for the "@" of an erasure
    levels(role, c.kind, zone, r);
    attributes(role, r);
    r.description = description(role, zone);
    if (r.linkText.empty()) r.linkText = link(role, zone, r);
    r.locked = role == roleBoss ? 1 : 0;
    r.languageTag = rng_.chance(3) ? kOtherLangTag : kDatabaseLangTag;
    if (c.linkable) zones_[zone].linkNames.push_back(r.name);
    return r;
}

// Font number k of a sample whose categories use many fonts: five faces, six sizes from 7
// points, and the styles in turn, distinct for k below 30.
void setVariedFont(QFont& font, int k)
{
    static const char* const faces[] = {"Arial", "Times New Roman", "Courier New", "Verdana", "Georgia"};
    font.setFamily(faces[k % 5]);
    font.setPointSize(7 + k / 5 % 6);
    font.setBold(k % 3 == 1);
    font.setItalic(k % 4 == 2);
}

rCateg makeCategory(int index, int fonts, std::vector<Role>& roles)
{
    const DemoNames& n = demoNames();
    rCateg c;
    c.id = uint8_t(index + 1);
    c.treeIcon = uint8_t(index % kTreeIcons);
    c.iconIndex = uint32_t(index % kStripIcons);
    c.font.setPointSize(8);
    if (size_t(index) < std::size(kNamedPlans)) {
        const CategoryPlan& p = kNamedPlans[index];
        c.name = n.categories[size_t(index)].first;
        c.defaultName = n.categories[size_t(index)].second;
        c.kind = p.kind;
        c.colour = p.colour;
        c.detailClass = p.detailClass;
        c.visible = p.visible;
        c.linkable = p.linkable;
        c.font.setFamily(p.font);
        c.font.setPointSize(p.fontSize);
        c.font.setBold(p.bold);
        c.font.setItalic(p.italic);
        roles.push_back(p.role);
    } else {
        c.name = n.otherWord + " " + std::to_string(index + 1);
        c.kind = kOtherKinds[index % 4];
        c.colour = kOtherColours[index % std::size(kOtherColours)];
        c.detailClass = uint8_t(index % 3 + 1);
        c.visible = 1;
        c.linkable = 1;
        c.font.setFamily("Arial");
        roles.push_back(roleOther);
    }
    if (fonts > 0) setVariedFont(c.font, index % fonts);
    c.defaultNameFlag = c.defaultName.empty() ? 0 : 1;
    c.defaultFontName = c.font.family().toStdString();
    c.defaultFontSize = c.font.pointSize();
    c.defaultFontStyle = FontStyleBits(c.font);
    c.defaultIconIndex = c.iconIndex;
    c.defaultColour = c.colour;
    c.defaultVisible = c.visible;
    return c;
}

// The user's additions: new locations on free points, changed and erased database
// locations at their own points, so that every line merges and none is dropped.
AdditionsFile makeAdditions(DemoRandom& rng, DemoDatabase& db, LocationMaker& maker, int count)
{
    const DemoNames& n = demoNames();
    AdditionsFile file;
    for (int i = 0; i < 6; ++i) file.saveDigits[size_t(i)] = char('0' + rng.between(1, 9));
    file.nickname = n.nickname;
    std::unordered_set<uint32_t> touched;
    auto pickUnlocked = [&]() -> const rnew_node* {
        const auto& records = db.master.records;
        for (int attempt = 0; attempt < 50 && !records.empty(); ++attempt) {
            const rnew_node& r = records[size_t(rng.between(0, int(records.size()) - 1))].node;
            if (!r.locked && touched.insert(r.id).second) return &r;
        }
        return nullptr;
    };
    for (int i = 0; i < count; ++i) {
        const int kind = i % 5; // two new, two changed, one erased
        const rnew_node* target = kind >= 2 ? pickUnlocked() : nullptr;
        if (!target) {
            // One draw after the other in a fixed order, so every compiler makes the same folder.
            const size_t zone = maker.pickZone();
            const size_t category = maker.pickCategory();
            rnew_node r = maker.make(category, zone, false);
            r.description = rng.pick(n.additionNew);
            r.languageTag = kDatabaseLangTag;
            file.locations.push_back(r);
            continue;
        }
        rnew_node r = *target;
        r.fromMaster = 0;
        if (kind == 4)
            r.name = ("@" + r.name).substr(0, kItemNameMax);
        else
            r.description += (r.description.empty() ? "" : "|") + rng.pick(n.additionChanges);
        file.locations.push_back(r);
    }
    return file;
}

} // namespace

SampleOptions clampedOptions(const SampleOptions& o)
{
    SampleOptions c = o;
    c.zones = std::clamp(o.zones, 1, kMaxZones);
    c.categories = std::clamp(o.categories, 1, kMaxCategories);
    c.locations = std::clamp(o.locations, 0, kMaxLocations);
    c.imageSize = o.imageSize <= 0 ? 0 : std::clamp(o.imageSize, 16, 2048);
    c.fonts = std::clamp(o.fonts, 0, kMaxCategories);
    return c;
}

DemoDatabase buildDemoDatabase(const SampleOptions& requested)
{
    const SampleOptions options = clampedOptions(requested);
    const DemoNames& n = demoNames();
    DemoRandom rng(options.seed);
    DemoDatabase db;
    db.name = "Aubeval";
    buildWorld(options, rng, db);

    std::vector<Role> roles;
    for (int i = 0; i < options.categories; ++i) db.categories.push_back(makeCategory(i, options.fonts, roles));
    db.typeNames = n.types;
    for (const DemoAttribute& a : n.attributes) {
        db.specs.emplace_back(uint8_t(a.id), uint8_t(a.parent), a.name);
        if (a.colour) db.specColours.push_back({uint8_t(a.id), a.colour});
    }

    LocationMaker maker(rng, db, roles);
    db.master.tag200 = 2;
    db.master.headerValue = 1000 + options.seed % 9000; // not 0: the additions are merged
    db.master.databaseDate = 45292.0 + double(options.seed % 365) + 0.5; // a day of 2024, noon
    db.master.records.reserve(size_t(options.locations));
    for (int i = 0; i < options.locations; ++i) {
        MasterRecord rec;
        const size_t zone = maker.pickZone(); // draws in a fixed order, as above
        const size_t category = maker.pickCategory();
        rec.node = maker.make(category, zone, true);
        rec.node.id = kFirstLocationId + uint32_t(i);
        rec.fields = usedMasterFields(rec.node);
        db.master.records.push_back(std::move(rec));
    }
    // One item of a tag that readers skip, so that loading the demo goes through that rule too.
    if (!db.master.records.empty()) db.master.records[0].skipped.push_back({50, "v1"});

    db.additions = makeAdditions(rng, db, maker, std::max(6, options.locations / 100));

    db.urlLines = {std::to_string(kDatabaseLangTag), "cartes@127.0.0.1", "http://127.0.0.1:8080/", "maj/",
                   "liste.txt", "http://127.0.0.1:8080/envoi.php"};
    db.credits = {n.creditTitle, std::string()};
    for (const std::string& who : n.contributors) db.credits.push_back("- " + who);
    return db;
}

} // namespace sample
