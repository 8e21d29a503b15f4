#include "figures.h"

namespace quorvane::bench {

const std::vector<FloorPair>& floorPairs() {
  static const std::vector<FloorPair> pairs = {
      {"BM_Refresh", "BM_RefreshFloor", "at most 4x"},
      {"BM_RunRoundTrip", "BM_SpawnFloor", "at most 1.3x"},
      {"BM_HistoryWhole/1000", "BM_HistoryParseNlohmannAlone/1000", "(reported)"},
      {"BM_HistoryWhole/10000", "BM_HistoryParseNlohmannAlone/10000", "(reported)"},
      {"BM_HistoryWhole/100000", "BM_HistoryParseNlohmannAlone/100000", "300 ms at most"},
      {"BM_HistoryWhole/1000000", "BM_HistoryParseNlohmannAlone/1000000", "(reported)"},
      // Linear: ten times the history, about ten times the time.
      {"BM_HistoryWhole/1000000", "BM_HistoryWhole/100000", "at most 12x"},
  };
  return pairs;
}

}  // namespace quorvane::bench
