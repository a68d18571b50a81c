#include "tests/support/RenderWindow.h"

#include <GL/gl.h>
#include <Inventor/Qt/SoQt.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <string>

namespace {

class PrivateXServer : public ::testing::Environment {
    pid_t server = -1;

public:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        server = fork();
        if (server == 0) {
            // A test that aborts skips TearDown: the server must not outlive it.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Read up to the newline: the server fails if its second write finds no reader.
        std::string display = ":";
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            display += c;
        }
        close(fds[0]);
        ASSERT_GT(display.size(), 1u) << "Xvfb did not start";
        setenv("DISPLAY", display.c_str(), 1);
    }
    void TearDown() override {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
};

}  // namespace

void usePrivateXServer() {
    ::testing::AddGlobalTestEnvironment(new PrivateXServer);
}

QWidget* testMainWindow() {
    static int argc = 1;
    static char name[] = "brennoc_render_test";
    static char* argv[] = {name, nullptr};
    static QWidget* window = SoQt::init(argc, argv, name, "SoWin");
    return window;
}

CapturingArea* showScene(SoNode* scene) {
    QWidget* window = testMainWindow();
    EXPECT_NE(window, nullptr);
    if (!window) {
        return nullptr;
    }
    CapturingArea* area = new CapturingArea(window);
    area->setBackgroundColor(SbColor(0, 0, 0));
    area->setSize(SbVec2s(800, 600));
    area->setSceneGraph(scene);
    area->show();
    SoQt::show(window);
    // A second area in the same window stays hidden after show() (seen with
    // SoQt 1.6): the tests of one program share the window, so show it here.
    area->getWidget()->show();
    for (int i = 0; i < 3; ++i) {  // until the window has settled
        if (!area->nextFrame()) {
            ADD_FAILURE() << "no frame was drawn";
            delete area;
            return nullptr;
        }
    }
    EXPECT_EQ(area->size, SbVec2s(800, 600));
    return area;
}

bool CapturingArea::nextFrame() {
    int seen = frames;
    scheduleRedraw();
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (frames == seen && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
    }
    return frames > seen;
}

bool CapturingArea::near(int x, int y, int r, int g, int b) const {
    const unsigned char* p = &rgb[(size_t(y) * size[0] + x) * 3];
    return std::abs(p[0] - r) <= 4 && std::abs(p[1] - g) <= 4 && std::abs(p[2] - b) <= 4;
}

void CapturingArea::actualRedraw() {
    SoQtRenderArea::actualRedraw();
    size = getViewportRegion().getViewportSizePixels();
    rgb.assign(size_t(size[0]) * size[1] * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (afterFrame) {
        afterFrame();
    }
    ++frames;
}
