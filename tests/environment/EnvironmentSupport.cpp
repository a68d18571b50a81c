#include "EnvironmentSupport.h"

#include <Inventor/SoDB.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "city/DataFiles.h"
#include "octree/OctTree.h"

void enterDataFolder() {
    SoDB::init();
    ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    installDataFileResolver();
}

std::vector<const SbBox3f*> boxesInTree(const OctTree& node) {
    std::vector<const SbBox3f*> boxes;
    for (int i = 0; i < node.objects.getLength(); ++i) {
        boxes.push_back(node.objects[i].box);
    }
    for (const OctTree* child : node.children) {
        for (const SbBox3f* box : child ? boxesInTree(*child) : std::vector<const SbBox3f*>()) {
            boxes.push_back(box);
        }
    }
    std::sort(boxes.begin(), boxes.end());
    boxes.erase(std::unique(boxes.begin(), boxes.end()), boxes.end());
    return boxes;
}

void releaseTree(OctTree& tree) {
    for (const SbBox3f* box : boxesInTree(tree)) {
        delete box;
    }
}

static void collect(const SoError* error, void* messages) {
    static_cast<std::vector<std::string>*>(messages)->push_back(
        error->getDebugString().getString());
}

// Coin's default handlers take no data.
CoinMessages::CoinMessages()
    : previousDebug(SoDebugError::getHandlerCallback()),
      previousRead(SoReadError::getHandlerCallback()) {
    SoDebugError::setHandlerCallback(collect, &messages);
    SoReadError::setHandlerCallback(collect, &messages);
}

CoinMessages::~CoinMessages() {
    SoDebugError::setHandlerCallback(previousDebug, nullptr);
    SoReadError::setHandlerCallback(previousRead, nullptr);
}
