// Language files: any bytes must parse without a crash into well-formed lists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ressource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RessourceLists lists;
    ParseRessourceText(std::string(reinterpret_cast<const char*>(data), size), lists);
    for (auto* l : {&lists.caption, &lists.hint, &lists.info, &lists.menu, &lists.message, &lists.about, &lists.plain})
        if (l->empty() || (*l)[0] != "-") __builtin_trap();
    for (const std::string& t : lists.message) (void)FormatRessource(t, "%1%2", "%%");
    return 0;
}
