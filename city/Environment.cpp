// Placeholder so that the tree links; the surroundings replace this file.
#include "city/CityBuilder.h"

void CityBuilder::buildEnvironment(SoSeparator*, OctTree&) {}
