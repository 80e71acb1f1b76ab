// The update list: any bytes are split and parsed without a throw or a read past the end;
// every file entry either names a path inside the program folder or is refused.
#include <cstddef>
#include <cstdint>
#include <string>

#include <QString>

#include "update_files.h"
#include "update_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitListLines(bytes);
    for (const std::string& l : lines)
        if (l.find('\n') != std::string::npos || l.find('\r') != std::string::npos) __builtin_trap();
    (void)IsValidUpdateList(lines);
    UpdateList list;
    const bool french = size % 2 == 0;
    (void)parse_update(lines, french, "status", list);
    (void)NewVersionOffered(list);
    const QString base = "/nonexistent-program-folder/";
    for (const ttreeup& e : list.Entries) {
        (void)EntryConcernsUser(e, true, "Francais", "Demo");
        if (e.Kind.size() > 3) __builtin_trap();
        const std::optional<QString> target = EntryTargetPath(base, e);
        if (!target) continue;
        if (!target->startsWith(base) || target->contains("/../") || target->contains("/./") ||
            target->contains("//"))
            __builtin_trap();
    }
    return 0;
}
