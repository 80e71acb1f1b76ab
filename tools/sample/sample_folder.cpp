#include "sample_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "demo_images.h"
#include "demo_names.h"
#include "language_texts.h"
#include "sample_writers.h"

namespace sample {

namespace {

// Writes files below the program folder and counts them.
class FolderWriter {
public:
    explicit FolderWriter(const QString& root) : root_(QDir(root).absolutePath() + '/') {}

    bool write(const QString& relative, const void* data, size_t size)
    {
        if (!report.error.isEmpty()) return false;
        const QString path = root_ + relative;
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) return fail("cannot create the folder of " + path);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail("cannot write " + path);
        if (f.write(static_cast<const char*>(data), qint64(size)) != qint64(size)) return fail("cannot write " + path);
        ++report.files;
        report.bytes += size;
        return true;
    }
    bool write(const QString& relative, const std::vector<uint8_t>& bytes)
    {
        if (bytes.empty() && report.error.isEmpty()) return fail("nothing to write for " + relative);
        return write(relative, bytes.data(), bytes.size());
    }
    bool write(const QString& relative, const std::string& text) { return write(relative, text.data(), text.size()); }

    SampleReport report;

private:
    bool fail(const QString& why)
    {
        report.error = why;
        return false;
    }
    QString root_;
};

void writeLanguage(FolderWriter& out, const LanguageTexts& language, int categoryCount)
{
    const QString dir = "res/" + QString::fromStdString(language.folder) + '/';
    out.write(dir + "ressource.txt", writeRessourceTxt(ressourceEntries(language, categoryCount)));
    out.write(dir + "color.txt", writeColorTxt(language.colours));
    out.write(dir + "tips.txt", textLines(language.tips));
    std::vector<std::string> links{"# " + language.folder}; // the first line is a header the program skips
    for (const rLink& l : language.links) links.push_back(l.caption + "=" + l.address);
    out.write(dir + "link.txt", textLines(links));
}

void writeDatabase(FolderWriter& out, const DemoDatabase& db)
{
    const QString dir = "database/" + QString::fromStdString(db.name) + '/';
    out.write(dir + "vmarmap.bin", writeMapIndex(db.mapIndex));
    out.write(dir + "itemcateg.bin", writeItemCategories(db.categories));
    out.write(dir + "type.txt", writeTypeTxt(db.typeNames));
    out.write(dir + "mobspec.txt", writeMobSpecTxt(db.specs, db.specColours, {" id parent couleur nom"}));
    out.write(dir + "master_vmar.loc", writeMasterFile(db.master));
    out.write(dir + "url.bin", writeUrlBin(db.urlLines));
    out.write(dir + "ico.bmp", bmpBytes(paintEmblem(true)));
    out.write(dir + "creditlist.inf", writeCompressedText(db.credits));
    out.write("ajouts/Vmar_ajouts_" + QString::fromStdString(db.name) + ".txt", writeAdditionsFile(db.additions));
}

void writeMaps(FolderWriter& out, const DemoDatabase& db, int imageSize)
{
    for (size_t i = 0; i < db.scenes.size(); ++i) {
        const ZoneScene& scene = db.scenes[i];
        const std::string& zoneName = db.mapIndex.zones[i].name;
        const QString base = QString::fromStdString(scene.diskName);
        const QImage image = paintZone(scene, zoneName, imageSize, false);
        if (scene.bmpImage)
            out.write("maps/" + base + ".bmp", bmpBytes(image));
        else
            out.write("maps/" + base + ".jpg", jpegBytes(image));
        if (scene.hasTile) out.write("maps/high/" + base + ".jpg", jpegBytes(paintZone(scene, zoneName, 2 * imageSize, true)));
        if (scene.hasVectors) {
            std::vector<VecPolyline> lines = scene.rivers;
            lines.insert(lines.end(), scene.roads.begin(), scene.roads.end());
            out.write("maps/" + base + ".vec", writeVectorFile(lines));
        }
    }
}

// The zone-relative overlays: the fine grid every 5000 units, and the zone's border.
void writeOverlays(FolderWriter& out)
{
    constexpr uint16_t kEdge = 65535;
    std::vector<VecPolyline> grid;
    for (int i = 5000; i < kEdge; i += 5000) {
        const uint16_t v = uint16_t(i);
        grid.push_back({{v, 0}, {v, kEdge}});
        grid.push_back({{0, v}, {kEdge, v}});
    }
    out.write("data/grid.vec", writeVectorFile(grid));
    out.write("data/border.vec", writeVectorFile({{{0, 0}, {kEdge, 0}, {kEdge, kEdge}, {0, kEdge}, {0, 0}}}));
}

void writeDataFolder(FolderWriter& out)
{
    out.write("data/icon_a.bmp", bmpBytes(paintToolStrip(false)));
    out.write("data/icon_b.bmp", bmpBytes(paintToolStrip(true)));
    out.write("data/icon_c.bmp", bmpBytes(paintTreeStrip()));
    out.write("data/baseico.bmp", bmpBytes(paintCategoryStrip()));
    out.write("data/ico.bmp", bmpBytes(paintEmblem(false)));
    out.write("data/cible.bmp", bmpBytes(paintTargetMarker()));
    out.write("data/boussole_cible.bmp", bmpBytes(paintCompassMarker()));
    out.write("data/vmar.bmp", bmpBytes(paintSplash()));
    // The kill list names files of the program folder to delete at start; this one names a
    // leftover that the folder does not hold.
    out.write("data/kill", textLines({"vmar_ancien.log"}));
    writeOverlays(out);
}

} // namespace

int zoneImageSize(const SampleOptions& options)
{
    const SampleOptions o = clampedOptions(options);
    if (o.imageSize > 0) return o.imageSize;
    return o.zones <= 50 ? 512 : o.zones <= 200 ? 256 : 64;
}

std::vector<TextEntry> ressourceEntries(const LanguageTexts& language, int categoryCount)
{
    std::vector<TextEntry> entries = language.texts;
    for (int id = 1; id <= categoryCount; ++id) {
        const size_t i = size_t(id - 1);
        entries.push_back({'T', id, i < language.categoryDescriptions.size()
                                        ? language.categoryDescriptions[i]
                                        : language.otherCategoryDescription + std::to_string(id)});
    }
    return entries;
}

SampleReport makeSampleFolder(const QString& path, const SampleOptions& requested)
{
    const SampleOptions options = clampedOptions(requested);
    const DemoDatabase db = buildDemoDatabase(options);
    FolderWriter out(path);
    writeLanguage(out, frenchTexts(), options.categories);
    writeLanguage(out, englishTexts(), options.categories);
    writeDatabase(out, db);
    writeMaps(out, db, zoneImageSize(options));
    writeDataFolder(out);
    out.write("readme.txt", textLines(demoNames().readme));
    out.report.ok = out.report.error.isEmpty();
    return out.report;
}

} // namespace sample
