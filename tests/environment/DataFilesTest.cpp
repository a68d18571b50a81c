#include <Inventor/SbImage.h>
#include <Inventor/SoInput.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// A fresh folder of its own under the temporary folder.
fs::path scratchFolder(const std::string& name) {
    const fs::path base =
        fs::temp_directory_path() / ("brennoc_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    return base;
}

std::string nested(int depth) {
    std::string text = "#Inventor V2.1 ascii\n";
    for (int i = 0; i < depth; ++i) {
        text += "Separator {\n";
    }
    return text + "Cube { }\n" + std::string(depth, '}') + "\n";
}

TEST(DataFiles, ModelsThatCannotBeReadSafelyAreLeftOut) {
    EXPECT_EQ(modelTextFault(nested(999).data(), nested(999).size()), "");
    EXPECT_NE(modelTextFault(nested(1000).data(), nested(1000).size()).find("deeper than 1000"),
              std::string::npos);
    const std::string quotedAndCommented = "Info { string \"" + std::string(2000, '{') +
                                           "\\\" }\" }\n# " + std::string(2000, '[') + "\n";
    EXPECT_EQ(modelTextFault(quotedAndCommented.data(), quotedAndCommented.size()), "");
    const std::string binary = "#Inventor V2.1 binary\n";
    EXPECT_NE(modelTextFault(binary.data(), binary.size()), "");

    enterDataFolder();
    const fs::path base = scratchFolder("models");
    std::ofstream(base / "deep.iv") << nested(12000);
    std::ofstream(base / "fine.iv") << nested(3);
    ASSERT_EQ(mkfifo((base / "fifo.iv").c_str(), 0644), 0);
    struct Case {
        const char* file;
        const char* fault;  // empty: read
    } cases[] = {
        {"deep.iv", "nested deeper than 1000"}, {"fifo.iv", "not a regular file"}, {"fine.iv", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = (base / c.file).string();
        for (int copy = 0; copy < 2; ++copy) {
            SoFile* model = new SoFile;
            model->ref();
            ::testing::internal::CaptureStderr();
            setModelFile(model, name.c_str());
            const std::string said = ::testing::internal::GetCapturedStderr();
            EXPECT_EQ(std::string(model->name.getValue().getString()), name)
                << "the field keeps the name";
            if (*c.fault) {
                EXPECT_EQ(model->getChildren()->getLength(), 0);
                const std::string line = "Model \"" + name + "\" not read: " + c.fault;
                EXPECT_EQ(said.substr(0, copy == 0 ? line.size() : 0), copy == 0 ? line : "")
                    << "once per file: " << said;
            } else {
                EXPECT_EQ(model->getChildren()->getLength(), 1);
                EXPECT_EQ(said, "");
            }
            model->unref();
        }
    }
    fs::remove_all(base);
}

TEST(DataFiles, ImagesAreDecodedOnceAndBoundedInSize) {
    enterDataFolder();
    const fs::path base = scratchFolder("images");
    auto textureSize = [](const std::string& name, std::string& said) {
        SoTexture2* texture = new SoTexture2;
        texture->ref();
        ::testing::internal::CaptureStderr();
        setTextureFile(texture, name.c_str());
        said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::string(texture->filename.getValue().getString()), name);
        SbVec2s size;
        int components;
        texture->image.getValue(size, components);
        texture->unref();
        return size;
    };
    std::string said;

    // Decoded once: a later node naming the file gets the first decoding.
    const std::string shared = (base / "shared.jpg").string();
    fs::copy_file("Texture/Strecha.jpg", shared);
    const SbVec2s first = textureSize(shared, said);
    EXPECT_GT(first[0], 0);
    fs::remove(shared);
    fs::copy_file("Texture/skybox/1.jpg", shared);
    EXPECT_EQ(textureSize(shared, said), first);

    // Headers that promise more pixels than allowed: refused before decoding,
    // once per file.
    const std::string jpeg("\xFF\xD8\xFF\xC0\x00\x11\x08\x3E\x80\x3E\x80\x03", 12);
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0DIHDR\0\0\x10\0\0\0\x10\x01\x08\x02\0\0\0",
                          29);
    const std::string smallPng("\x89PNG\r\n\x1a\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0",
                               29);
    const std::string bmp = std::string("BM") + std::string(12, '\0') +
                            std::string("\x28\0\0\0\x01\x20\0\0\x01\0\0\0", 12);
    struct Case {
        const char* file;
        std::string content;
        const char* fault;
    } cases[] = {
        {"big.jpg", jpeg + std::string(200, '\0'), "16000 x 16000 pixels, over the limit"},
        {"long.png", png, "4096 x 4097 pixels, over the limit"},
        {"wide.bmp", bmp, "8193 x 1 pixels, over the limit"},
        {"text.jpg", "not an image", "not an image of a known format"},
        {"cut.jpg", jpeg.substr(0, 4), "not an image of a known format"},
        {"broken.png", smallPng + std::string(100, 'x'), "cannot be decoded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = (base / c.file).string();
        std::ofstream(name, std::ios::binary) << c.content;
        EXPECT_EQ(textureSize(name, said), SbVec2s(0, 0));
        EXPECT_NE(said.find(name), std::string::npos) << said;
        EXPECT_NE(said.find(c.fault), std::string::npos) << said;
        EXPECT_EQ(textureSize(name, said), SbVec2s(0, 0));
        EXPECT_EQ(said, "");
    }

    // A truncated JPEG is drawn as far as it decodes and said once, by name;
    // the decoder's own warnings name no file and come many times.
    const std::string half = (base / "half.jpg").string();
    std::ifstream whole("Texture/Trava.jpg", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(whole)), {});
    std::ofstream(half, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    EXPECT_GT(textureSize(half, said)[0], 0);
    EXPECT_EQ(said.rfind("Image \"" + half + "\" is damaged: ", 0), 0u) << said;
    EXPECT_NE(said.find("JPEG"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    textureSize(half, said);
    EXPECT_EQ(said, "");

    // A FIFO would block the reader for ever.
    const std::string fifo = (base / "fifo.jpg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(textureSize(fifo, said), SbVec2s(0, 0));
    EXPECT_NE(said.find("not a regular file"), std::string::npos) << said;
    fs::remove_all(base);
}

TEST(DataFiles, CoinMessagesComeOncePerFileWithControlsEscaped) {
    enterDataFolder();
    SoInput input;
    ::testing::internal::CaptureStderr();
    for (int node = 0; node < 3; ++node) {
        SoDebugError::post("SbImage::readFile", "couldn't find '%s'.", "a\x1b[2Jb.jpg");
        SoDebugError::postWarning("SoTexture2::filenameSensorCB",
                                  "Image file '%s' could not be read", "a\x1b[2Jb.jpg");
        SoReadError::post(&input, "Could not find '%s' in any of:\n\t''\n", "m\r.wrl");
        SoDebugError::post("SbImage::readFile", "couldn't find '%s'.",
                           "\x9b\xc2\x9b"
                           "2J\xc3\xa9.jpg");
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
    // C1 controls and stray bytes too; a character beyond them stays.
    EXPECT_NE(said.find("'\\x9B\\xC2\\x9B2J\xc3\xa9.jpg'"), std::string::npos) << said;
    EXPECT_EQ(said.find("Coin error in SbImage::readFile(): couldn't find 'a\\x1B[2Jb.jpg'.\n"), 0)
        << said;
    EXPECT_NE(said.find("Could not find 'm\\r.wrl' in any of:\\n\\t''"), std::string::npos) << said;
}

}  // namespace
