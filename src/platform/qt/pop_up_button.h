#pragma once

#include <string>
#include <vector>

class QComboBox;
class QWidget;

namespace quorvane {

// A pop-up button over `items` (duplicates stay separate items), `selected` chosen.
//
// It opens as a scrolling list of a few rows rather than as a menu sized to its
// longest item: that sizing measures every item each time it opens, seconds for a
// history of 100,000 versions. The list's rows share one height, so nothing else
// grows with the number of items either.
QComboBox* createPopUpButton(const std::vector<std::string>& items, int selected, QWidget* parent);

}  // namespace quorvane
