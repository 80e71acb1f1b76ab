// pref.ini: any bytes must load without a crash into settings within their safe ranges;
// what is then written must read back without errors, and settle after one more round
// (an empty language is written empty but reads back as the default one).
#include <cstddef>
#include <cstdint>
#include <string>

#include "pref_file.h"

namespace {
// Loads the bytes into fresh settings and writes them again; traps on a line that fails.
std::string rewrite(const std::string& bytes)
{
    rPreference prefs;
    WindowSettings window;
    if (LoadPrefBytes(bytes, prefs, window) != PrefLoadResult::Loaded) __builtin_trap();
    return PrefFileBytes(prefs, window);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    rPreference prefs;
    WindowSettings window;
    LoadPrefBytes(std::string(reinterpret_cast<const char*>(data), size), prefs, window);
    if (window.Zoom < 20 || window.Zoom > 3500 || prefs.ALFV < 1 || prefs.ALFV > 255) __builtin_trap();
    if (prefs.NIVP < 1 || prefs.NIVP > 50 || prefs.PSEU.size() > kPseudoMax) __builtin_trap();
    // Window placement within 16-bit screen coordinates, pan offsets within the world.
    for (const int32_t v : {window.MAPT, window.MAPL, window.MAPW, window.MAPH})
        if (v < -32768 || v > 32767) __builtin_trap();
    if (window.MAPW < 0 || window.MAPH < 0) __builtin_trap();
    for (const int32_t v : {window.OffsetX, window.OffsetY})
        if (v < -(1 << 27) || v > (1 << 27)) __builtin_trap();

    const std::string second = rewrite(PrefFileBytes(prefs, window));
    if (rewrite(second) != second) __builtin_trap();
    return 0;
}
