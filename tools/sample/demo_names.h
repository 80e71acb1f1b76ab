#pragma once
// The invented names and sentences that the demo database is made of.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sample {

enum Terrain { terrainPlains, terrainForest, terrainWater, terrainMountains, terrainTown, terrainCount };

struct DemoMapName {
    std::string name; // at most 40 characters
    int realm = 0;    // 0-based position in the realm list
    int terrain = 0;  // Terrain of most of its zones
    std::string slug; // ASCII start of its zones' file names
};

using Words = std::vector<std::string>;

// One line of mobspec.txt.
struct DemoAttribute {
    int id = 0;
    int parent = 0;
    uint32_t colour = 0; // $00BBGGRR, 0 = none
    std::string name;
};

struct DemoNames {
    Words realms;
    std::vector<DemoMapName> maps;
    Words mapWords, syllablesA, syllablesB, zoneWords;
    Words types;                    // type.txt: type 0 first
    Words creatures;
    std::vector<int> creatureTypes; // type id of each creature
    Words complements, bossNames, bossTitles, maleNames, femaleNames;
    Words resources, quests, pois, dungeons, towns, routes, hunts, pets;
    Words creaturePhrases, placePhrases, resourcePhrases; // lines of descriptions
    Words additionNew, additionChanges; // descriptions of new and of changed locations in the additions
    Words contributors;
    using Role = std::pair<std::string, std::string>; // masculine, feminine
    std::vector<Role> merchantRoles, trainerRoles;
    std::string nickname;
    std::vector<DemoAttribute> attributes;
    std::string portalWord, bankWord, stableWord, otherWord;
    Words referenceWords; // put before a "{name}" reference in a description
    std::string creditTitle;
    std::vector<std::pair<std::string, std::string>> categories; // name, default name
    Words readme;         // readme.txt; the about box drops its first two lines
};

const DemoNames& demoNames();

} // namespace sample
