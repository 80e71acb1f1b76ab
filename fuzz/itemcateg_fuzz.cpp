// Categories (itemcateg.bin, inflated): one category per whole 84-byte record, short
// strings within their fields, an 11 x 11 icon, a style code read as plain, bold, italic
// or both, and preferences that can be written for every category.
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "data_model.h"
#include "folders.h"
#include "fuzz_qt.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzQt();
    // A strip of four icons, so that some indexes cut an icon and others miss.
    static QTemporaryDir dir;
    SetProgramFolder(dir.path());
    QImage strip(44, 11, QImage::Format_RGB32);
    strip.fill(0xFF336699);
    strip.setPixel(0, 0, 0xFFFFFFFF);
    QDir().mkpath(DataDir);
    strip.save(DataDir + "baseico.bmp", "BMP");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TData_common c;
    c.LoadItemCategoriesBytes(data, size);
    if (c.categories.size() != size / 84) __builtin_trap();
    for (size_t i = 0; i < c.categories.size(); ++i) {
        const rCateg& k = *c.categories[i];
        const uint8_t* rec = data + i * 84;
        if (k.name.size() > 20 || k.defaultName.size() > 20) __builtin_trap();
        if (k.id != rec[21] || k.kind != rec[23] || k.detailClass != rec[56]) __builtin_trap();
        if (k.icon.width() != 11 || k.icon.height() != 11) __builtin_trap();
        if (k.iconsNow || k.labelsNow) __builtin_trap();
        const uint8_t code = rec[57];
        const uint8_t expected = (code == 1 || code == 2 || code == 3) ? code : 0;
        if (k.defaultFontStyle != expected || FontStyleBits(k.font) != expected) __builtin_trap();
        if (k.defaultIconIndex != k.iconIndex || k.defaultColour != k.colour || k.defaultVisible != k.visible)
            __builtin_trap();
        if (c.categoryById(k.id) == nullptr) __builtin_trap();
    }
    const std::vector<uint8_t> prefs = c.CategoryPrefsBytes();
    if (prefs.size() != c.categories.size() * 56) __builtin_trap();
    return 0;
}
