#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "city/CityElement.h"
#include "tests/city/CitySupport.h"

namespace {

// What a building drew from one description file.
struct Drawn {
    SbVec3f extent;
    std::vector<std::string> images;  // by face
    std::string errors;
    SoSeparator* root = nullptr;
    ~Drawn() {
        if (root) {
            root->unref();
        }
    }
};

// Builds a building from name, first writing content there unless it is null.
// The layout's extent (7, 8, 9) shows where a default box was drawn.
void draw(const char* name, const char* content, size_t length, Drawn& out) {
    initCoin();
    if (content) {
        writeFile(name, std::string(content, length));
    }
    BuildingElement building(0, 0, 0, 7, 8, 9, SbColor(0.9f, 0.7f, 0.7f), name);
    CoinMessages quiet;  // the images named here do not exist
    ::testing::internal::CaptureStderr();
    out.root = building.build();
    out.errors = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(out.root, nullptr);
    out.root->ref();
    out.extent = building.extent;
    ASSERT_EQ(out.root->getNumChildren(), 2 + 6 * 3);
    for (int f = 0; f < 6; ++f) {
        SoNode* node = out.root->getChild(3 + 3 * f);
        ASSERT_TRUE(node->isOfType(SoTexture2::getClassTypeId()));
        out.images.push_back(static_cast<SoTexture2*>(node)->filename.getValue().getString());
    }
}

void draw(const char* name, const std::string& content, Drawn& out) {
    draw(name, content.data(), content.size(), out);
}

const std::vector<std::string> noImages(6, "");

TEST(BuildingFile, CompleteFileShapesTheBoxAndNamesEachFace) {
    Drawn d;
    draw("complete.txt", "2\n3\n4\nfront\nback\nleft\nright\ntop\nbottom\n", d);
    EXPECT_EQ(d.errors, "");
    EXPECT_EQ(d.extent, SbVec3f(2, 3, 4));
    // Faces at -z, -x, +z, +x, +y, -y.
    EXPECT_EQ(d.images,
              (std::vector<std::string>{"front", "right", "back", "left", "top", "bottom"}));

    auto* material = static_cast<SoMaterial*>(d.root->getChild(0));
    EXPECT_EQ(material->diffuseColor[0], SbColor(0.9f, 0.7f, 0.7f));
    auto* coordinates = static_cast<SoCoordinate3*>(d.root->getChild(1));
    ASSERT_EQ(coordinates->point.getNum(), 8);
    EXPECT_EQ(coordinates->point[0], SbVec3f(-1, -1.5f, -2));
    EXPECT_EQ(coordinates->point[7], SbVec3f(1, 1.5f, 2));

    // Each face: four corners in its own plane, the whole image once, its own node.
    const int axis[6] = {2, 0, 2, 0, 1, 1};
    const float side[6] = {-1, -1, 1, 1, 1, -1};
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE("face " + std::to_string(f));
        auto* uv = static_cast<SoTextureCoordinate2*>(d.root->getChild(2 + 3 * f));
        ASSERT_EQ(uv->point.getNum(), 4);
        EXPECT_EQ(uv->point[0], SbVec2f(1, 1));
        EXPECT_EQ(uv->point[3], SbVec2f(0, 0));
        auto* strip = static_cast<SoIndexedTriangleStripSet*>(d.root->getChild(4 + 3 * f));
        ASSERT_EQ(strip->coordIndex.getNum(), 5);
        EXPECT_EQ(strip->coordIndex[4], -1);
        for (int v = 0; v < 4; ++v) {
            const SbVec3f p = coordinates->point[strip->coordIndex[v]];
            EXPECT_EQ(p[axis[f]], side[f] * d.extent[axis[f]] / 2);
            EXPECT_EQ(strip->textureCoordIndex[v], v);
        }
        for (int g = 0; g < f; ++g) {
            EXPECT_NE(d.root->getChild(3 + 3 * f), d.root->getChild(3 + 3 * g));
        }
    }
}

TEST(BuildingFile, LinesLoseTheirLastCharacter) {
    Drawn noFinalFeed, crlf;
    draw("nofeed.txt", "1\n1\n1\na.jpg\na.jpg\na.jpg\na.jpg\na.jpg\na.jpg", noFinalFeed);
    EXPECT_EQ(noFinalFeed.images[5], "a.jp");
    EXPECT_EQ(noFinalFeed.images[4], "a.jpg");
    draw("crlf.txt", "1\r\n2\r\n3\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\n", crlf);
    EXPECT_EQ(crlf.extent, SbVec3f(1, 2, 3));
    EXPECT_EQ(crlf.images, (std::vector<std::string>{"a", "d", "b", "c", "e", "f"}));
}

TEST(BuildingFile, SizesParseLikeAtoi) {
    Drawn d, negative, huge;
    draw("sizes.txt", "3.7\n 5\nabc\na\nb\nc\nd\ne\nf\n", d);
    EXPECT_EQ(d.extent, SbVec3f(3, 5, 0));
    draw("negative.txt", "-2\n2\n2\na\nb\nc\nd\ne\nf\n", negative);
    EXPECT_EQ(negative.extent, SbVec3f(-2, 2, 2));
    // Mirrored corners: corner 0 now lies at +x.
    EXPECT_EQ(static_cast<SoCoordinate3*>(negative.root->getChild(1))->point[0],
              SbVec3f(1, -1, -1));
    draw("huge.txt", "99999999999\n-99999999999\n1\na\nb\nc\nd\ne\nf\n", huge);
    EXPECT_EQ(huge.extent, SbVec3f(float(INT_MAX), float(INT_MIN), 1));
}

TEST(BuildingFile, LongLinesSplitAndExtraLinesAreIgnored) {
    Drawn split, extra;
    const std::string longLine(300, 'x');
    draw("long.txt", "1\n1\n1\n" + longLine + "\nb\nc\nd\ne\nf\n", split);
    // 255 characters per read: 254 kept, then the rest reads as line 5.
    EXPECT_EQ(split.images, (std::vector<std::string>{std::string(254, 'x'), "c",
                                                      std::string(45, 'x'), "b", "d", "e"}));
    // CR LF is one line feed, also right after a line that fills the buffer.
    Drawn full;
    draw("full.txt", "1\r\n1\r\n1\r\n" + std::string(254, 'y') + "\r\nb\r\nc\r\nd\r\ne\r\nf\r\n",
         full);
    EXPECT_EQ(full.images,
              (std::vector<std::string>{std::string(254, 'y'), "d", "b", "c", "e", "f"}));
    draw("extra.txt", "1\n2\n3\na\nb\nc\nd\ne\nf\n9\n9\nmore\n", extra);
    EXPECT_EQ(extra.extent, SbVec3f(1, 2, 3));
    EXPECT_EQ(extra.images[5], "f");
}

TEST(BuildingFile, UnusableFilesGiveADefaultBoxAndSaySo) {
    mkdir("folder.txt", 0755);
    std::remove("missing.txt");
    std::remove("fifo.txt");
    ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);  // opening it to read would wait for a writer
    struct Case {
        const char* name;
        const char* content;
        size_t length;
        const char* fault;
    } cases[] = {
        {"missing.txt", nullptr, 0, "cannot open"},
        {"folder.txt", nullptr, 0, "read error"},
        {"fifo.txt", nullptr, 0, "not a regular file"},
        {"empty.txt", "", 0, "only 0 of 9 lines"},
        {"short.txt", "1\n2\n3\na\nb\n", 10, "only 5 of 9 lines"},
        {"eight.txt", "1\n2\n3\na\nb\nc\nd\ne\n", 16, "only 8 of 9 lines"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawn d;
        draw(c.name, c.content, c.length, d);
        EXPECT_NE(d.errors.find(c.name), std::string::npos) << d.errors;
        EXPECT_NE(d.errors.find(c.fault), std::string::npos) << d.errors;
        EXPECT_EQ(d.extent, SbVec3f(7, 8, 9));
        EXPECT_EQ(d.images, noImages);
    }
    // A line that starts with a NUL byte reads as empty, not before its start;
    // the byte is no text, which is said, and the box is drawn all the same.
    Drawn nul;
    draw("nul.txt", "1\n1\n1\n\0x\nb\nc\nd\ne\nf\n", 19, nul);
    EXPECT_EQ(nul.errors,
              "Building description \"nul.txt\", line 4: not text; drawn as it stands\n");
    EXPECT_EQ(nul.extent, SbVec3f(1, 1, 1));
    EXPECT_EQ(nul.images[0], "");
    EXPECT_EQ(nul.images[2], "b");
}

TEST(BuildingFile, DamagedContentIsSaidOnceAndDrawnAsItStands) {
    struct Case {
        const char* name;
        std::string content;
        const char* warning;  // empty: none
        SbVec3f extent;
    } cases[] = {
        {"good.txt", "1\n100\n7\na\nb\nc\nd\ne\nf\n", "", SbVec3f(1, 100, 7)},
        {"bytes.txt", std::string("2\n2\n2\na\x01\x9b\xff\nb\nc\nd\ne\nf\n"),
         "\"bytes.txt\", line 4: not text", SbVec3f(2, 2, 2)},
        {"wide.txt", "99999999999999999999\n1\n1\na\nb\nc\nd\ne\nf\n",
         "\"wide.txt\", line 1: size \"99999999999999999999\" is outside 1 to 100",
         SbVec3f(float(INT_MAX), 1, 1)},
        {"flat.txt", "3\nabc\n0\na\nb\nc\nd\ne\nf\n", "\"flat.txt\", line 2: size \"abc\"",
         SbVec3f(3, 0, 0)},
        {"tall.txt", "1\n101\n1\na\nb\nc\nd\ne\nf\n", "line 2: size \"101\"", SbVec3f(1, 101, 1)},
        {"escape.txt", "1\n1\n1\n\x1b[31mred\nb\nc\nd\ne\nf\n", "line 4: not text",
         SbVec3f(1, 1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawn first, again;
        draw(c.name, c.content, first);
        EXPECT_EQ(first.extent, c.extent);
        if (*c.warning) {
            EXPECT_NE(first.errors.find(c.warning), std::string::npos) << first.errors;
            EXPECT_EQ(std::count(first.errors.begin(), first.errors.end(), '\n'), 1)
                << first.errors;
        } else {
            EXPECT_EQ(first.errors, "");
        }
        EXPECT_EQ(first.errors.find('\x1b'), std::string::npos)
            << "control bytes reach the terminal";
        // Every building of the file reads it; the warning comes once.
        draw(c.name, nullptr, 0, again);
        EXPECT_EQ(again.errors, "");
        EXPECT_EQ(again.images, first.images);
    }
}

}  // namespace
