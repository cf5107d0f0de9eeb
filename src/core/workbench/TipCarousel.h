#pragma once

#include <string>

#include "data/Models.h"
#include "workbench/WorkbenchTips.h"

namespace velumo {

// Which of the workbench tips is on show. Stepping wraps around both ways;
// before the first rebuild there are no tips and stepping stays on the first.
class TipCarousel {
  public:
    struct Card {
        WorkbenchTip tip;
        // "3 / 7" for the third tip.
        std::string pageLabel;
    };

    void showNext();
    void showPrevious();

    // The tip on show, built from the current settings.
    Card rebuild(const AppSettings& settings);

  private:
    int stepCount() const { return count_ < 1 ? 1 : count_; }

    int page_ = 0;
    int count_ = 0;
};

}  // namespace velumo
