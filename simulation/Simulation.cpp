// Placeholder so that the tree links; the simulation replaces this file.
#include "simulation/Simulation.h"

void simulationStep(SbTime) {}
