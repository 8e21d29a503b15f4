#include "figures.h"

namespace quorvane::bench {

const std::vector<FloorPair>& floorPairs() {
  static const std::vector<FloorPair> pairs = {
      {"BM_Refresh", "BM_RefreshFloor", "at most 4x"},
      {"BM_RunRoundTrip", "BM_SpawnFloor", "at most 1.3x"},
  };
  return pairs;
}

}  // namespace quorvane::bench
