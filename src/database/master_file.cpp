#include "master_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QElapsedTimer>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "delphi_conv.h"
#include "folders.h"
#include "path_resolver.h"
#include "ressource.h"

namespace {

constexpr const char* kMasterFileName = "master_vmar.loc";

enum MasterTag : uint8_t {
    tagName = 1,
    tagZone = 2,
    tagCategory = 3,
    tagX = 4,
    tagY = 5,
    tagLevelMin = 6,
    tagLevelMax = 7,
    tagAttributes2 = 8,  // ids 33..64
    tagAttributes3 = 9,  // ids 65..96
    tagAttributes1 = 10, // ids 1..32
    tagId = 11,
    tagDescription = 12,
    tagLinkText = 13,
    tagLocked = 14,
    tagTypeId = 15,
    tagLanguage = 16,
    tagRecordEnd = 199,
    tagUnused = 200,
    tagHeaderValue = 201,
    tagDatabaseDate = 202,
    tagFileEnd = 255,
};

// A string payload: a u16 byte count, then the bytes (those there are, when cut short),
// read into the pending record's own string.
void readString(ByteReader& in, std::string& out)
{
    const uint16_t n = in.u16();
    in.bytesInto(n, out);
}

std::string infoLine(int id, const std::string& arg = {})
{
    return FormatRessource(GetInfoText(id), arg);
}

// Days since 1899-12-30 that a date of years 1 to 9999 can hold.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958466.0;

} // namespace

MasterFileLoader::MasterFileLoader(NodeStore& store, TRealm_info& realm, MasterFileHooks hooks)
    : store_(store), realm_(realm), hooks_(std::move(hooks))
{
}

void MasterFileLoader::log(const std::string& line) const
{
    if (hooks_.log) hooks_.log(line);
}

void MasterFileLoader::logDatabaseDate(double days) const
{
    std::string text;
    if (std::isfinite(days) && days > kFirstDay && days < kLastDay) {
        text = DaysToDateTime(days).toString("dd/MM/yyyy hh:mm:ss").toStdString();
    } else {
        // No calendar date: the stored number itself rather than a failed load.
        text = FloatToStrComma(days);
    }
    log(infoLine(3, text));
}

bool MasterFileLoader::loadmaster2()
{
    std::optional<QString> found;
    if (!DatabaseLangDir.isEmpty()) found = FindEntryNoCase(DatabaseLangDir, kMasterFileName);
    if (!found) {
        log(infoLine(11, "vmar"));
        log({});
        return false;
    }
    const QString path = DatabaseLangDir + *found;

    QElapsedTimer clock;
    clock.start();
    if (hooks_.progressStart) hooks_.progressStart(0);

    bool loaded = false;
    {
        MemoryStream stream;
        path_ = path;
        if (!LoadCompressedFile(stream, path)) {
            ShowRessourceMessage(38, false, found->toStdString());
        } else {
            loaded = process_file(stream);
            // A file that stops before its end tag was cut: damaged, like one that does not
            // inflate (the locations read so far stay).
            if (!loaded && !badMagic_) ShowRessourceMessage(38, false, found->toStdString());
        }
        path_.clear();
    }

    if (hooks_.progressEnd) hooks_.progressEnd();
    log(infoLine(4, FloatToStrComma(double(clock.elapsed()) / 1000.0)));
    log({});
    return loaded;
}

bool MasterFileLoader::process_file(MemoryStream& stream)
{
    if (hooks_.progressStart) hooks_.progressStart(int(stream.size() / 1024));

    ByteReader in(stream.data.data(), stream.data.size());
    badMagic_ = stream.data.size() < kMasterMagicSize
                || std::memcmp(stream.data.data(), kMasterMagic, kMasterMagicSize) != 0;
    if (badMagic_) {
        stream.position = std::min(stream.data.size(), kMasterMagicSize);
        if (path_.isEmpty())
            ShowRessourceMessage(35, false);
        else
            ShowRessourceMessageForFile(35, path_, "does not start with the mark of a location file");
        return false;
    }
    in.skip(kMasterMagicSize);

    // Values of tags 1..16 since the last record end; a record never inherits another's.
    rnew_node pending;
    int tagCounter = 0;
    for (;;) {
        if (++tagCounter == kMasterProgressTags) {
            if (hooks_.progressPosition) hooks_.progressPosition(int(in.position() / 1024));
            tagCounter = 0;
        }
        if (in.atEnd()) break;
        const uint8_t tag = in.u8();
        switch (tag) {
        case tagName: readString(in, pending.name); break;
        case tagZone: pending.zoneId = in.u16(); break;
        case tagCategory: pending.categoryId = in.u8(); break;
        case tagX: pending.x = in.u16(); break;
        case tagY: pending.y = in.u16(); break;
        case tagLevelMin: pending.levelMin = in.u8(); break;
        case tagLevelMax: pending.levelMax = in.u8(); break;
        case tagAttributes2: pending.attributes.w[1] = in.u32(); break;
        case tagAttributes3: pending.attributes.w[2] = in.u32(); break;
        case tagAttributes1: pending.attributes.w[0] = in.u32(); break;
        case tagId: pending.id = in.u32(); break;
        case tagDescription: readString(in, pending.description); break;
        case tagLinkText: readString(in, pending.linkText); break;
        case tagLocked: pending.locked = in.u8(); break;
        case tagTypeId: pending.typeId = in.u8(); break;
        case tagLanguage: pending.languageTag = in.u8(); break;
        case tagRecordEnd:
            pending.fromMaster = 1;
            pending.hasItem = 1;
            pending.zone = nullptr;
            pending.category = nullptr;
            store_.addnodeMove(std::move(pending));
            pending = rnew_node();
            break;
        case tagUnused: in.u32(); break;
        case tagHeaderValue: {
            const uint32_t value = in.u32();
            if (in.failed()) break;
            realm_.headerValue = value;
            log(infoLine(2, std::to_string(value)));
            break;
        }
        case tagDatabaseDate: {
            const double days = in.f64();
            if (in.failed()) break;
            DatabaseDate = days;
            logDatabaseDate(days);
            break;
        }
        case tagFileEnd:
            stream.position = in.position();
            return true;
        default: {
            const uint16_t count = in.u16();
            in.skip(count);
            break;
        }
        }
        // A payload cut short by the end of the stream: its record is never completed.
        if (in.failed()) break;
    }
    stream.position = in.position();
    return false; // no end tag
}
