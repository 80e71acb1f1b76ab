// The whole sample program folder: complete, readable, and the same for the same seed.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "demo_content.h"
#include "sample_folder.h"

using namespace sample;

namespace {

SampleOptions smallOptions(uint32_t seed)
{
    SampleOptions o;
    o.seed = seed;
    o.locations = 300;
    o.zones = 8;
    o.categories = 18;
    o.imageSize = 40;
    return o;
}

// Makes the folder and returns every file below it, by relative path, with its bytes.
std::map<QString, QByteArray> makeAndRead(const QTemporaryDir& dir, uint32_t seed)
{
    std::map<QString, QByteArray> files;
    const SampleReport report = makeSampleFolder(dir.path(), smallOptions(seed));
    EXPECT_TRUE(report.ok) << report.error.toStdString();
    QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        files[QDir(dir.path()).relativeFilePath(f.fileName())] = f.readAll();
    }
    EXPECT_EQ(report.files, int(files.size()));
    return files;
}

} // namespace

TEST(SampleFolder, HoldsEveryFileTheProgramReadsAndIsTheSameForTheSameSeed)
{
    QTemporaryDir a, b, c;
    const auto files = makeAndRead(a, 5), again = makeAndRead(b, 5), other = makeAndRead(c, 6);
    EXPECT_TRUE(files == again) << "two runs with one seed differ";
    const QString master = "database/Aubeval/master_vmar.loc";
    EXPECT_FALSE(other.at(master) == files.at(master));

    for (const char* path :
         {"readme.txt", "ajouts/Vmar_ajouts_Aubeval.txt", "data/icon_a.bmp", "data/icon_b.bmp", "data/icon_c.bmp",
          "data/baseico.bmp", "data/ico.bmp", "data/cible.bmp", "data/boussole_cible.bmp", "data/vmar.bmp",
          "data/grid.vec", "data/border.vec", "data/kill", "database/Aubeval/vmarmap.bin",
          "database/Aubeval/itemcateg.bin", "database/Aubeval/type.txt", "database/Aubeval/mobspec.txt",
          "database/Aubeval/url.bin", "database/Aubeval/ico.bmp", "database/Aubeval/creditlist.inf"})
        EXPECT_TRUE(files.count(path)) << path;
    for (const QString lang : {"Francais", "English"})
        for (const QString name : {"ressource", "color", "tips", "link"})
            EXPECT_TRUE(files.count("res/" + lang + "/" + name + ".txt")) << lang.toStdString() << name.toStdString();

    // Each zone has its image (JPEG, one of them BMP) and, unless left out on purpose, a
    // tile of twice the size and a vector file.
    for (const ZoneScene& scene : buildDemoDatabase(smallOptions(5)).scenes) {
        const QString base = QString::fromStdString(scene.diskName);
        const QString image = "maps/" + base + (scene.bmpImage ? ".bmp" : ".jpg"), tile = "maps/high/" + base + ".jpg";
        ASSERT_TRUE(files.count(image)) << image.toStdString();
        EXPECT_EQ(QImage::fromData(files.at(image)).size(), QSize(40, 40)) << image.toStdString();
        EXPECT_EQ(files.count(tile), scene.hasTile ? 1u : 0u);
        EXPECT_EQ(scene.hasTile ? QImage::fromData(files.at(tile)).width() : 80, 80);
        EXPECT_EQ(files.count("maps/" + base + ".vec"), scene.hasVectors ? 1u : 0u);
    }
    // Strips hold whole icons: 28 tool images of 16 pixels, 16 category icons of 11.
    EXPECT_EQ(QImage::fromData(files.at("data/icon_a.bmp")).size(), QSize(28 * 16, 16));
    EXPECT_EQ(QImage::fromData(files.at("data/baseico.bmp")).size(), QSize(16 * 11, 11));
    // (The database files' content: see the sample round trip.)
}

TEST(SampleFolder, ReportsAFolderItCannotWrite)
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/blocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const SampleReport report = makeSampleFolder(dir.path() + "/blocked", smallOptions(1));
    EXPECT_FALSE(report.ok);
    EXPECT_FALSE(report.error.isEmpty());
}

// Asked for 30 fonts, 30 categories each get their own face, size and style.
TEST(SampleFolder, GivesTheCategoriesAsManyDistinctFontsAsAsked)
{
    SampleOptions o = smallOptions(5);
    o.categories = 30;
    o.fonts = 30;
    std::set<std::tuple<QString, int, bool, bool>> fonts;
    for (const rCateg& c : buildDemoDatabase(o).categories) {
        fonts.emplace(c.font.family(), c.font.pointSize(), c.font.bold(), c.font.italic());
        EXPECT_EQ(c.defaultFontName, c.font.family().toStdString());
        EXPECT_EQ(c.defaultFontSize, c.font.pointSize());
    }
    EXPECT_EQ(fonts.size(), 30u);
}
