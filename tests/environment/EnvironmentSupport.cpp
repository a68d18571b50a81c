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

namespace {

void collect(const OctTree& node, std::vector<const SbBox3f*>& boxes) {
    for (int i = 0; i < node.objects.getLength(); ++i) {
        const SbBox3f* box = node.objects[i].box;
        if (std::find(boxes.begin(), boxes.end(), box) == boxes.end()) {
            boxes.push_back(box);
        }
    }
    for (const OctTree* child : node.children) {
        if (child) {
            collect(*child, boxes);
        }
    }
}

void record(const SoError* error, void* data) {
    static_cast<CoinMessages*>(data)->messages.push_back(error->getDebugString().getString());
}

}  // namespace

std::vector<const SbBox3f*> boxesInTree(const OctTree& tree) {
    std::vector<const SbBox3f*> boxes;
    collect(tree, boxes);
    return boxes;
}

namespace {

void deleteChildren(OctTree& node) {
    for (OctTree*& child : node.children) {
        if (child) {
            deleteChildren(*child);
            delete child;
            child = nullptr;
        }
    }
}

}  // namespace

void releaseTree(OctTree& tree) {
    for (const SbBox3f* box : boxesInTree(tree)) {
        delete box;
    }
    deleteChildren(tree);
}

CoinMessages::CoinMessages()
    : debugHandler(SoDebugError::getHandlerCallback()),
      debugData(SoDebugError::getHandlerData()),
      readHandler(SoReadError::getHandlerCallback()),
      readData(SoReadError::getHandlerData()) {
    SoDebugError::setHandlerCallback(record, this);
    SoReadError::setHandlerCallback(record, this);
}

CoinMessages::~CoinMessages() {
    SoDebugError::setHandlerCallback(debugHandler, debugData);
    SoReadError::setHandlerCallback(readHandler, readData);
}
