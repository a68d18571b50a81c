#pragma once

#include "octree/CollisionObject.h"

// Where the things built at start-up file their collision records. The city
// needs no more of an index than this: the program hands it the index the run
// starts with, and tests hand it a recorder.
class RecordFiling {
public:
    // Files a copy of the record; the record's box must outlive the copy.
    virtual void insert(const CollisionObject& record) = 0;

protected:
    ~RecordFiling() = default;
};
