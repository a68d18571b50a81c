#pragma once

class SoSeparator;

// Makes all SoTexture2 nodes under group that name the same file one node: the
// first found in traversal order replaces every later one in its parent.
// Unnamed textures are left alone; names are compared exactly.
void shareTextures(SoSeparator* group);
