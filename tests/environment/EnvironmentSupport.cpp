#include "EnvironmentSupport.h"

#include <Inventor/SoDB.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "city/DataFiles.h"

void enterDataFolder() {
    SoDB::init();
    ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    installDataFileResolver();
}
