#pragma once
// Writers of the program's data files. Each takes in-memory records and returns the exact
// bytes of the file, so the sample maker and the tests of the loaders build their files
// from the same code. Texts are Windows-1252 bytes; text files end every line with CR LF.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_model.h"
#include "language_texts.h"
#include "records.h"

namespace sample {

// ---- vmarmap.bin: realms (43 bytes each), maps (56), zones (72), one zlib stream.
struct MapIndexContent {
    std::vector<rRealm> realms;
    std::vector<rRegion> maps;
    std::vector<pMap_info> zones; // image, tile and vectors are not written
};
std::vector<uint8_t> mapIndexPayload(const MapIndexContent& index); // inflated
std::vector<uint8_t> writeMapIndex(const MapIndexContent& index);

// ---- itemcateg.bin (84-byte records, one zlib stream) and categpref.bin (56-byte records,
// not compressed). Both take the category as it stands: name, ids, kind, colour, icon
// index, flags and font (its family, point size, bold and italic).
std::vector<uint8_t> itemCategoriesPayload(const std::vector<rCateg>& categories); // inflated
std::vector<uint8_t> writeItemCategories(const std::vector<rCateg>& categories);
std::vector<uint8_t> writeCategoryPrefs(const std::vector<rCateg>& categories);

// ---- type.txt: a header line, then the type names from type 0.
std::string writeTypeTxt(const std::vector<std::string>& typeNames, const std::string& header = "#types");
// ---- mobspec.txt: one line per attribute in fixed columns (id, parent id, colour as
// $00BBGGRR hex, name), comment lines first and "@eof" last. An attribute's colour is the
// first colour with its id; a colour whose id no attribute has gets a line without name.
std::string writeMobSpecTxt(const std::vector<tboolspec>& specs, const std::vector<rSpecColor>& colours,
                            const std::vector<std::string>& comments = {});
// ---- color.txt: one line per colour, 6 hex digits ($00BBGGRR) then the name.
std::string writeColorTxt(const std::vector<rColor>& colours);

// ---- master_vmar.loc: the magic "VMARV100", then tagged items, one zlib stream.
constexpr const char* kMasterMagic = "VMARV100";
constexpr uint32_t kAllMasterFields = 0x1FFFE; // bits 1 to 16: the field tags 1 to 16

struct MasterRecord {
    rnew_node node;
    uint32_t fields = kAllMasterFields; // bit n set: field tag n is written
    // Items of tags the reader skips (0, 17 to 198, 203 to 254): the tag, then a u16 byte
    // count and the bytes. Written after the fields, before the record's end tag 199.
    std::vector<std::pair<uint8_t, std::string>> skipped;
};

struct MasterFile {
    std::optional<uint32_t> tag200;       // read and not used
    std::optional<uint32_t> headerValue;  // tag 201: additions are merged only when not 0
    std::optional<double> databaseDate;   // tag 202: days since 1899-12-30
    std::vector<MasterRecord> records;
    bool endTag = true;                   // tag 255
};
// The field tags that carry a value: 1 to 5 always, the others when not 0 or empty.
uint32_t usedMasterFields(const rnew_node& node);
std::vector<uint8_t> masterPayload(const MasterFile& file); // inflated
std::vector<uint8_t> writeMasterFile(const MasterFile& file);

// ---- The additions file (ajouts/Vmar_ajouts_<database>.txt).
struct AdditionsFile {
    std::string version = "#v250";     // first 5 characters of line 1: "#v250" or "#v200"
    std::string saveDigits = "123456"; // six digits 1 to 9, drawn afresh at every save
    std::string nickname;              // empty: "Anonymous"
    std::vector<rnew_node> locations;
};
// One location line: 16 fields separated by "|", the description last.
std::string additionsLine(const rnew_node& node);
std::string writeAdditionsFile(const AdditionsFile& file);

// ---- url.bin: text lines (the language tag, then the endpoints), scrambled, one zlib stream.
constexpr const char* kUrlKey = "qzlwrnvt";
std::vector<uint8_t> writeUrlBin(const std::vector<std::string>& lines);

// ---- Vector files (.vec): per polyline a u16 point count, then u16 x, u16 y per point.
struct VecPoint {
    uint16_t x = 0;
    uint16_t y = 0;
};
using VecPolyline = std::vector<VecPoint>;
std::vector<uint8_t> writeVectorFile(const std::vector<VecPolyline>& polylines);

// ---- ressource.txt: the texts in the order given, one line each: the section letter, the
// id in three digits, a blank and the text.
std::string writeRessourceTxt(const std::vector<TextEntry>& texts);

// ---- Plain text files (tips.txt, link.txt, readme.txt, the kill list): each line and CR LF.
std::string textLines(const std::vector<std::string>& lines);
// creditlist.inf: the text lines as one zlib stream.
std::vector<uint8_t> writeCompressedText(const std::vector<std::string>& lines);

} // namespace sample
