#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "tests/city/CitySupport.h"

namespace {

// The program's own data, read as the program reads it: from the data folder.
class CityData : public ::testing::Test {
protected:
    void SetUp() override {
        initCoin();
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous), 0); }

    // True when Coin reads the image without a complaint.
    static bool readable(const std::string& name) {
        CoinMessages messages;
        SoTexture2* texture = new SoTexture2;
        texture->ref();
        texture->filename.setValue(name.c_str());
        SbVec2s size;
        int components = 0;
        texture->image.getValue(size, components);
        texture->unref();
        return messages.messages.empty() && size[0] > 0 && size[1] > 0;
    }

    char previous[4096];
};

TEST_F(CityData, DescriptionFilesFitTheirFootprintsAndNameReadableImages) {
    for (const BuildingPass& pass : buildingPasses) {
        SCOPED_TRACE(pass.fileName);
        BuildingDescription d;
        std::string fault;
        ASSERT_TRUE(readBuildingDescription(pass.fileName, d, fault)) << fault;
        EXPECT_EQ(d.velikostx, pass.sizeI);
        EXPECT_EQ(d.velikosty, pass.height);
        EXPECT_EQ(d.velikostz, pass.sizeJ);
        for (const std::string& image : {d.texturapredni, d.texturazadni, d.texturaleva,
                                         d.texturaprava, d.texturahorni, d.texturadolni}) {
            EXPECT_TRUE(readable(image)) << "'" << image << "'";
        }
    }
    EXPECT_TRUE(readable("Texture/Asfalt1.jpg"));
    EXPECT_TRUE(readable("Texture/Asfalt2.jpg"));
}

}  // namespace
