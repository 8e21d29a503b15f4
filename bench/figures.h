#pragma once

// Figures that `make bench` prints beside the floor measured in the same run: the
// least the same work can cost without the front end around it.

#include <string>
#include <vector>

namespace quorvane::bench {

struct FloorPair {
  std::string figure;  // benchmark name of the measured figure
  std::string floor;   // benchmark name of its floor
  std::string goal;    // for the reader, e.g. "at most 4x"
};

// Every pair the benchmarks in this folder define.
const std::vector<FloorPair>& floorPairs();

}  // namespace quorvane::bench
