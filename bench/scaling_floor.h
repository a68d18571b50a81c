#pragma once

// The floor under a move: how long one dependent load takes from the
// second-level cache, from a buffer the size the cold runs flush, and from
// memory beyond the last-level cache, measured here by a pointer chase (each
// load's address is the value the previous load read, so no two overlap).
//
// A move that stays in its leaf must read at least three cache lines it did
// not read for the previous move: the mover's leaf (its count and its list),
// the records in that list, and the boxes the records point to. So a move can
// not take less than three such loads, whatever else it does; the runs report
// what each family's octree move costs as a multiple of that floor
// (scripts/scaling.sh): warm runs against the second-level cache, cold runs
// against the flushed buffer.

// Lines a move must read, at the least.
const int floorLines = 3;

// Registers floor/l2, floor/flushed and floor/memory: each reports
// ns_per_load, the mean time of one dependent load over a random cycle
// through a buffer of 1 MiB, 32 MiB and 1 GiB.
void registerFloor();
