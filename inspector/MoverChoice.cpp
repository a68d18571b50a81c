#include "inspector/MoverChoice.h"

int nextMover(int current, int craftCount, int step) {
    if (craftCount <= 0) {
        return cameraMover;
    }
    // Places in the round: craft 0 … craftCount - 1, then the camera.
    const int places = craftCount + 1;
    int place;
    if (current == noMover) {
        place = step > 0 ? places - 1 : 0;
    } else if (current == cameraMover || current >= craftCount || current < 0) {
        place = craftCount;
    } else {
        place = current;
    }
    place = ((place + (step > 0 ? 1 : -1)) % places + places) % places;
    return place == craftCount ? cameraMover : place;
}
