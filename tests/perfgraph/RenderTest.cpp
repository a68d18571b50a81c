// Renders a graph in a real window on a private X server and checks the
// pixels where it lies.
#include <GL/gl.h>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/Qt/SoQtRenderArea.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "perfgraph/SoPerfGraph.h"

namespace {

// Starts Xvfb on a free display number and points DISPLAY at it.
class PrivateXServer : public ::testing::Environment {
public:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        server = fork();
        ASSERT_GE(server, 0);
        if (server == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the number and then a newline: read both, or its
        // second write fails and it exits.
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        std::string display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);
    }
    void TearDown() override {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }

private:
    pid_t server = -1;
};

::testing::Environment* const xServer = ::testing::AddGlobalTestEnvironment(new PrivateXServer);

// Keeps the frame buffer of every redraw.
class CapturingArea : public SoQtRenderArea {
public:
    explicit CapturingArea(QWidget* parent) : SoQtRenderArea(parent) {}
    std::vector<unsigned char> pixels;
    SbVec2s size;
    int frames = 0;

protected:
    void actualRedraw() override {
        SoQtRenderArea::actualRedraw();
        size = getViewportRegion().getViewportSizePixels();
        pixels.assign(size_t(size[0]) * size[1] * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        ++frames;
    }
};

struct Rgb {
    int r, g, b;
};

class PerfGraphRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static char name[] = "perfgraph_render";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        window = SoQt::init(argc, argv, "perfgraph_render", "SoWin");
        SoPerfGraph::initClass();
    }

    // Processes window events until the area has drawn another frame.
    bool waitForFrame(CapturingArea& area) {
        int seen = area.frames;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (area.frames == seen && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return area.frames > seen;
    }

    static Rgb at(const CapturingArea& area, int x, int y) {
        const unsigned char* p = &area.pixels[(size_t(y) * area.size[0] + x) * 3];
        return {p[0], p[1], p[2]};
    }

    static void dump(const CapturingArea& area, const char* file) {
        FILE* out = std::fopen(file, "wb");
        if (!out) {
            return;
        }
        std::fprintf(out, "P6 %d %d 255\n", area.size[0], area.size[1]);
        for (int y = area.size[1] - 1; y >= 0; --y) {
            std::fwrite(&area.pixels[size_t(y) * area.size[0] * 3], 1, area.size[0] * 3, out);
        }
        std::fclose(out);
    }

    static QWidget* window;
};

QWidget* PerfGraphRender::window = nullptr;

bool near(Rgb c, Rgb expected, int tolerance = 4) {
    return std::abs(c.r - expected.r) <= tolerance && std::abs(c.g - expected.g) <= tolerance &&
           std::abs(c.b - expected.b) <= tolerance;
}

std::string describe(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

// Over black: the opaque bar as it is, the background at alpha 128 / 255.
const Rgb barColour = {0, 128, 255};
const Rgb backgroundColour = {0, 0, 128 * 128 / 255};

float sampleValue(int i) {
    return 10.0f * (i % 5 + 1);
}

TEST_F(PerfGraphRender, BarsUpToTheirHeightsBackgroundAboveNewestAtTheRightEdge) {
    ASSERT_NE(window, nullptr) << "no display";
    SoSeparator* root = new SoSeparator;
    root->ref();
    SoPerfGraph* graph = new SoPerfGraph;
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->horAlignment.setValue(SoPerfGraph::RIGHT);
    graph->position.setValue(-0.03f, 0.03f);
    graph->size.setValue(0.23f, 0.11f);
    root->addChild(graph);
    // 10, 20, ..., 50 repeating: the scale settles at 60.
    const int fed = 148;
    for (int i = 0; i < fed; ++i) {
        graph->addValue(sampleValue(i));
    }

    CapturingArea* area = new CapturingArea(window);
    area->setBackgroundColor(SbColor(0, 0, 0));
    area->setSize(SbVec2s(800, 600));
    area->setSceneGraph(root);
    area->show();
    SoQt::show(window);
    ASSERT_TRUE(waitForFrame(*area));
    // Let the window settle at its final size.
    for (int i = 0; i < 3; ++i) {
        area->scheduleRedraw();
        ASSERT_TRUE(waitForFrame(*area));
    }
    ASSERT_EQ(area->size, SbVec2s(800, 600));
    if (const char* file = std::getenv("PERFGRAPH_RENDER_DUMP")) {
        dump(*area, file);
    }

    // 184 x 66 pixels, right edge 24 pixels in, bottom 18 pixels up; 92
    // visible samples of 2 pixels each; bar texels of 128 over 66 pixels.
    const int left = 800 - 24 - 184, bottom = 18, width = 184, height = 66;
    auto checkColumns = [&](int newest, const char* when) {
        int checked = 0;
        for (int column = 0; column < 92; ++column) {
            int sample = newest - (91 - column);
            int bar = int(sampleValue(sample) / 60 * 128);
            for (int dx = 0; dx < 2; ++dx) {
                int x = left + 2 * column + dx;
                for (int y = 0; y < height; ++y) {
                    // Leave out the labels: scale at the upper left, average at the lower right.
                    if ((x < left + 40 && y >= height - 16) || (x >= left + width - 90 && y < 16)) {
                        continue;
                    }
                    float texel = (y + 0.5f) * 128 / height;
                    Rgb c = at(*area, x, bottom + y);
                    if (texel < bar - 1.5f) {
                        EXPECT_TRUE(near(c, barColour)) << when << ": bar at column " << column
                                                        << " y " << y << " is " << describe(c);
                    } else if (texel > bar + 1.5f) {
                        EXPECT_TRUE(near(c, backgroundColour))
                            << when << ": background at column " << column << " y " << y << " is "
                            << describe(c);
                    } else {
                        continue;
                    }
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 92 * 2 * 40) << when;
    };
    checkColumns(fed - 1, "first frame");

    // Nothing of the graph outside its rectangle.
    EXPECT_TRUE(near(at(*area, left - 2, bottom + 30), {0, 0, 0}));
    EXPECT_TRUE(near(at(*area, left + width + 1, bottom + 30), {0, 0, 0}));
    EXPECT_TRUE(near(at(*area, left + 100, bottom + height + 2), {0, 0, 0}));
    EXPECT_TRUE(near(at(*area, left + 100, bottom - 2), {0, 0, 0}));

    // One more sample scrolls the graph by one column: the newest at the right edge.
    graph->addValue(sampleValue(fed));
    area->scheduleRedraw();
    ASSERT_TRUE(waitForFrame(*area));
    checkColumns(fed, "after one more sample");
    int rightmost = left + width - 1;
    EXPECT_TRUE(near(at(*area, rightmost, bottom + 40), barColour))
        << "the newest sample, 10 * (148 % 5 + 1) = 40, reaches 44 pixels";

    delete area;
    root->unref();
}

}  // namespace
