#pragma once

class SoSeparator;

// A box of 2000 x 500 x 2000 around the origin, seen from inside: four
// panorama walls, a sky at y = -500 and a grass floor at y = 0. Its textures
// stay inside the returned separator.
SoSeparator* createSkybox();
