// The common reference data: the categories of itemcateg.bin with
// the user's preferences of categpref.bin, and the order in which every table is loaded.
// The text tables (color.txt, mobspec.txt, type.txt) are in text_tables.cpp.
#include <limits>

#include <QCoreApplication>
#include <QFileInfo>

#include "byte_io.h"
#include "compressed.h"
#include "cp1252.h"
#include "data_model.h"
#include "file_io.h"
#include "folders.h"
#include "image_helpers.h"
#include "log.h"
#include "path_resolver.h"
#include "ressource.h"

namespace {

constexpr size_t kCategRecordSize = 84;
constexpr size_t kPrefRecordSize = 56;
constexpr int kIconSize = 11;

// A file of a folder under its name on disk (matched without case), else as written.
QString fileIn(const QString& dir, const char* name)
{
    if (auto found = FindEntryNoCase(dir, name)) return dir + *found;
    return dir + name;
}

void setFontSize(QFont& font, int points)
{
    // A size of 0 keeps the default size, as a Windows font of height 0 does.
    if (points > 0) font.setPointSize(points);
}

// The font name as the category's font reports it, in Windows-1252.
std::string fontName(const QFont& font)
{
    if (auto name = ToCp1252(font.family())) return *name;
    return {};
}

QImage cutIcon(uint32_t index)
{
    const int i = index > uint32_t(std::numeric_limits<int>::max()) ? -1 : int(index);
    return LoadStripIcon(fileIn(DataDir, "baseico.bmp"), kIconSize, i);
}

std::unique_ptr<rCateg> readCategory(const uint8_t* rec)
{
    ByteReader r(rec, kCategRecordSize);
    auto c = std::make_unique<rCateg>();
    c->name = r.shortString(20);
    c->id = r.u8();
    c->treeIcon = r.u8();
    c->kind = r.u8();
    c->colour = r.u32();
    c->iconIndex = r.u32();
    c->defaultNameFlag = r.u8();
    c->defaultName = r.shortString(20);
    c->visible = r.u8();
    c->linkable = r.u8();
    c->detailClass = r.u8();
    const uint8_t styleCode = r.u8();
    const std::string font = r.shortString(20);
    const uint8_t size = r.u8();
    // four bytes not read

    c->font = QFont(FromCp1252(font));
    setFontSize(c->font, size);
    ApplyFontStyleCode(c->font, styleCode);
    c->icon = cutIcon(c->iconIndex);

    c->defaultFontName = fontName(c->font);
    c->defaultFontSize = c->font.pointSize();
    c->defaultFontStyle = FontStyleBits(c->font);
    c->defaultIconIndex = c->iconIndex;
    c->defaultColour = c->colour;
    c->defaultVisible = c->visible;
    return c;
}

} // namespace

void ApplyFontStyleBits(QFont& font, uint8_t bits)
{
    font.setBold(bits & fsBold);
    font.setItalic(bits & fsItalic);
    font.setUnderline(bits & fsUnderline);
    font.setStrikeOut(bits & fsStrikeOut);
}

std::unique_ptr<TData_common> TData_common::Create()
{
    auto common = std::make_unique<TData_common>();
    if (!DatabaseLangDir.isEmpty()) common->LoadItemCategories(fileIn(DatabaseLangDir, "itemcateg.bin"));
    if (!ExeDir.isEmpty()) common->LoadCategoryPrefs(fileIn(ExeDir, "categpref.bin"));
    if (common->categories.empty()) ShowRessourceMessage(15, false);
    common->LoadColors();
    common->LoadTypeNames();
    common->LoadMobSpecs();
    return common;
}

bool TData_common::SaveProgramCategoryPrefs()
{
    if (categories.empty() || ExeDir.isEmpty()) return true;
    return SaveCategoryPrefs(fileIn(ExeDir, "categpref.bin"));
}

void TData_common::LoadItemCategories(const QString& path)
{
    MemoryStream stream;
    if (!LoadCompressedFile(stream, path)) {
        LogLine("categories cannot be read: " + path.toStdString());
        categories.clear();
        categoriesWhole = false;
        return;
    }
    LoadItemCategoriesBytes(stream.data.data(), stream.data.size());
}

void TData_common::LoadItemCategoriesBytes(const uint8_t* data, size_t size)
{
    categories.clear();
    // Whole records only; a trailing piece is ignored.
    for (size_t at = 0; size - at >= kCategRecordSize; at += kCategRecordSize)
        categories.push_back(readCategory(data + at));
    // A trailing piece shorter than a record is how such files may end, not damage.
    categoriesWhole = !categories.empty();
}

void TData_common::LoadCategoryPrefs(const QString& path)
{
    if (!QFileInfo::exists(path)) return;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        LogLine("category preferences cannot be read: " + path.toStdString());
        return;
    }
    LoadCategoryPrefsBytes(bytes.data(), bytes.size());
}

void TData_common::LoadCategoryPrefsBytes(const uint8_t* data, size_t size)
{
    foreignPrefRecords.clear();
    for (size_t at = 0; size - at >= kPrefRecordSize; at += kPrefRecordSize) {
        const uint8_t* rec = data + at;
        ByteReader r(rec, kPrefRecordSize);
        const uint8_t id = r.u8();
        rCateg* c = categoryById(id);
        if (!c) {
            // Another database's category: kept to be written back, the file being shared.
            foreignPrefRecords.emplace_back(rec, rec + kPrefRecordSize);
            continue;
        }
        r.skip(3);
        c->colour = r.u32();
        c->iconIndex = r.u32(); // the icon is not cut again
        c->visible = r.u8();
        const uint8_t style = r.u8();
        const std::string name = r.shortString(40);
        const uint8_t points = r.u8();
        ApplyFontStyleBits(c->font, style);
        c->font.setFamily(FromCp1252(name));
        setFontSize(c->font, points);
    }
}

std::vector<uint8_t> TData_common::CategoryPrefsBytes() const
{
    std::vector<uint8_t> out;
    out.reserve((categories.size() + foreignPrefRecords.size()) * kPrefRecordSize);
    ByteWriter w(out);
    for (const auto& c : categories) {
        w.u8(c->id);
        w.zeros(3);
        w.u32(c->colour);
        w.u32(c->iconIndex);
        w.u8(c->visible);
        w.u8(FontStyleBits(c->font));
        // A family with no Windows-1252 form (chosen in the preferences dialog) falls
        // back to the itemcateg.bin font.
        const auto name = ToCp1252(c->font.family());
        w.shortString(name ? *name : c->defaultFontName, 40);
        w.u8(uint8_t(c->font.pointSize() & 0xFF));
    }
    for (const auto& rec : foreignPrefRecords) {
        // Records are kept whole; anything else would shift every record after it.
        if (rec.size() == kPrefRecordSize) w.bytes(rec.data(), rec.size());
    }
    return out;
}

bool TData_common::SaveCategoryPrefs(const QString& path)
{
    // Without categories the preferences of every database would be lost.
    if (categories.empty()) return true;
    const std::vector<uint8_t> bytes = CategoryPrefsBytes();
    QString error;
    if (!WriteFileAtomic(path, bytes.data(), bytes.size(), &error)) {
        LogLine("category preferences cannot be written to " + path.toStdString() + ": " + error.toStdString());
        // A box needs the application; a save after it has gone only logs.
        if (QCoreApplication::instance()) ShowRessourceMessageForFile(22, path, error);
        return false;
    }
    return true;
}

rCateg* TData_common::categoryById(uint8_t id) const
{
    for (const auto& c : categories)
        if (c->id == id) return c.get();
    return nullptr;
}
