// The master location file (inflated): any bytes are read up to tag 255 or their end,
// every record reaches the store whole, and nothing is read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fake_node_store.h"
#include "fuzz_qt.h"
#include "master_file.h"
#include "message_boxes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartQuietFuzzQt();

    FakeNodeStore store;
    store.addZone(0);
    store.addZone(7);
    store.addZone(int16_t(-25536));
    store.addCategory(0, kindNoLevel);
    store.addCategory(1, kindCreature);
    store.addCategory(3, kindAttributes);
    TRealm_info realm(std::make_unique<TData_map>());

    // Most inputs get the magic, so the fuzzer spends its time on the tags.
    MemoryStream stream;
    if (size < kMasterMagicSize || std::memcmp(data, kMasterMagic, kMasterMagicSize) != 0)
        stream.write(kMasterMagic, kMasterMagicSize);
    stream.write(data, size);

    size_t records = 0;
    for (size_t i = 0; i < stream.size(); ++i) records += stream.data[i] == 199;
    int progressCalls = 0;
    MasterFileHooks hooks;
    hooks.progressPosition = [&](int pos) {
        ++progressCalls;
        if (pos < 0 || size_t(pos) > stream.size() / 1024) __builtin_trap();
    };
    MasterFileLoader loader(store, realm, hooks);
    loader.process_file(stream); // False for a stream without its end tag

    // Every added location is a whole record of the file, read from master.
    if (store.liveLocations() > records) __builtin_trap();
    for (const rItemdata* item : store.items()) {
        if (item->fromMaster != 1 || item->name.size() > kItemNameMax) __builtin_trap();
    }
    return 0;
}
