// The whole sample program folder: complete, readable, and the same for the same seed.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "compressed.h"
#include "demo_content.h"
#include "sample_folder.h"
#include "sample_writers.h"

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

// Every file below the folder, by relative path, with its bytes.
std::map<QString, QByteArray> readFolder(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        files[QDir(root).relativeFilePath(path)] = f.readAll();
    }
    return files;
}

} // namespace

TEST(SampleFolder, SameSeedGivesTheSameBytesInEveryFile)
{
    QTemporaryDir a, b, c;
    ASSERT_TRUE(makeSampleFolder(a.path(), smallOptions(3)).ok);
    ASSERT_TRUE(makeSampleFolder(b.path(), smallOptions(3)).ok);
    ASSERT_TRUE(makeSampleFolder(c.path(), smallOptions(4)).ok);
    const auto first = readFolder(a.path()), second = readFolder(b.path()), other = readFolder(c.path());
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [path, bytes] : first) {
        ASSERT_TRUE(second.count(path)) << path.toStdString();
        EXPECT_TRUE(second.at(path) == bytes) << path.toStdString() << " differs between two runs";
    }
    EXPECT_FALSE(other.at("database/Aubeval/master_vmar.loc") == first.at("database/Aubeval/master_vmar.loc"));
}

TEST(SampleFolder, HoldsEveryFileTheProgramReads)
{
    QTemporaryDir dir;
    const SampleOptions options = smallOptions(5);
    const SampleReport report = makeSampleFolder(dir.path(), options);
    ASSERT_TRUE(report.ok) << report.error.toStdString();
    const auto files = readFolder(dir.path());
    EXPECT_EQ(report.files, int(files.size()));

    for (const char* path :
         {"readme.txt", "ajouts/Vmar_ajouts_Aubeval.txt", "data/icon_a.bmp", "data/icon_b.bmp", "data/icon_c.bmp",
          "data/baseico.bmp", "data/ico.bmp", "data/cible.bmp", "data/boussole_cible.bmp", "data/vmar.bmp",
          "data/grid.vec", "data/border.vec", "data/kill", "database/Aubeval/vmarmap.bin",
          "database/Aubeval/itemcateg.bin", "database/Aubeval/type.txt", "database/Aubeval/mobspec.txt",
          "database/Aubeval/master_vmar.loc", "database/Aubeval/url.bin", "database/Aubeval/ico.bmp",
          "database/Aubeval/creditlist.inf", "res/Francais/ressource.txt", "res/Francais/color.txt",
          "res/Francais/tips.txt", "res/Francais/link.txt", "res/English/ressource.txt", "res/English/color.txt",
          "res/English/tips.txt", "res/English/link.txt"})
        EXPECT_TRUE(files.count(path)) << path;

    // Each zone has its image (JPEG, one of them BMP) and, unless left out on purpose, a
    // tile of twice the size and a vector file.
    const DemoDatabase db = buildDemoDatabase(options);
    for (const ZoneScene& scene : db.scenes) {
        const QString base = QString::fromStdString(scene.diskName);
        const QString image = "maps/" + base + (scene.bmpImage ? ".bmp" : ".jpg");
        ASSERT_TRUE(files.count(image)) << image.toStdString();
        EXPECT_EQ(QImage::fromData(files.at(image)).size(), QSize(40, 40)) << image.toStdString();
        EXPECT_EQ(files.count("maps/high/" + base + ".jpg"), scene.hasTile ? 1u : 0u);
        EXPECT_EQ(files.count("maps/" + base + ".vec"), scene.hasVectors ? 1u : 0u);
        if (scene.hasTile) {
            EXPECT_EQ(QImage::fromData(files.at("maps/high/" + base + ".jpg")).width(), 80);
        }
    }

    // Strips hold whole icons: 28 tool images of 16 pixels, 16 category icons of 11.
    EXPECT_EQ(QImage::fromData(files.at("data/icon_a.bmp")).size(), QSize(28 * 16, 16));
    EXPECT_EQ(QImage::fromData(files.at("data/baseico.bmp")).size(), QSize(16 * 11, 11));

    const QByteArray master = files.at("database/Aubeval/master_vmar.loc");
    std::vector<uint8_t> inflated;
    ASSERT_TRUE(InflateBytes(reinterpret_cast<const uint8_t*>(master.constData()), size_t(master.size()), inflated));
    EXPECT_EQ(std::string(inflated.begin(), inflated.begin() + 8), "VMARV100");
    EXPECT_EQ(inflated.back(), 255);
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
