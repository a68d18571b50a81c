#pragma once

// Counts the GL texture objects made in the current context between two looks,
// also when a new object gets the name of a deleted one (Mesa hands out the
// lowest free name again): each look marks every live 2D texture object with
// a priority nothing else sets, so an object without the mark is new.
class TextureCensus {
public:
    // The texture objects alive now that no earlier look marked (at the first
    // look, all of them); marks them. The context must be current (in a
    // render area's redraw).
    int markNew();
};
