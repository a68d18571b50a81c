#pragma once

#include <Inventor/Qt/SoQtComponent.h>

using SoWinComponent = SoQtComponent;
