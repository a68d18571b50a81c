#include <Inventor/SbImage.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "EnvironmentSupport.h"
#include "city/DataFiles.h"

namespace fs = std::filesystem;

namespace {

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(DataFiles, NamesResolveAcrossSeparatorsAndLetterCase) {
    const fs::path base =
        fs::temp_directory_path() / ("brennoc_datafiles_" + std::to_string(getpid()));
    fs::remove_all(base);
    touch(base / "Texture/skybox/1.jpg");
    touch(base / "Mixed/b.txt");
    touch(base / "Mixed/B.txt");
    const std::string b = base.string();

    EXPECT_EQ(resolveDataFileName("Texture/skybox/1.jpg", b), b + "/Texture/skybox/1.jpg");
    EXPECT_EQ(resolveDataFileName("Texture\\skybox\\1.jpg", b), b + "/Texture/skybox/1.jpg");
    EXPECT_EQ(resolveDataFileName("texture\\SKYBOX/1.JPG", b), b + "/Texture/skybox/1.jpg");
    EXPECT_EQ(resolveDataFileName(b + "/TEXTURE/skybox/1.jpg"), b + "/Texture/skybox/1.jpg");
    // An exact match wins over another case.
    EXPECT_EQ(resolveDataFileName("mixed\\b.txt", b), b + "/Mixed/b.txt");
    EXPECT_EQ(resolveDataFileName("mixed\\B.txt", b), b + "/Mixed/B.txt");

    EXPECT_EQ(resolveDataFileName("Texture\\skybox\\6.jpg", b), "");
    EXPECT_EQ(resolveDataFileName("Texture\\skybox", b), "") << "a folder is no file";
    EXPECT_EQ(resolveDataFileName("Nowhere\\1.jpg", b), "");
    EXPECT_EQ(resolveDataFileName("", b), "");
    fs::remove_all(base);
}

TEST(DataFiles, CoinReadsResolvedImagesAndStillReportsMissingOnes) {
    enterDataFolder();

    SbImage image;
    EXPECT_TRUE(image.readFile("TEXTURE\\Skybox\\2.JPG"));
    EXPECT_GT(image.getSize()[0], 0);

    CoinMessages coin;
    SoTexture2* missing = new SoTexture2;
    missing->ref();
    missing->filename = "Texture\\skybox\\nothing.jpg";
    SbVec2s size;
    int components;
    missing->image.getValue(size, components);
    EXPECT_EQ(size, SbVec2s(0, 0));
    bool reported = false;
    for (const std::string& message : coin.messages) {
        reported |= message.find("nothing.jpg") != std::string::npos;
    }
    EXPECT_TRUE(reported) << "Coin no longer says that the image is missing";
    missing->unref();
}

}  // namespace
