#include "workbench/TipCarousel.h"

#include <cstddef>
#include <utility>

namespace velumo {

void TipCarousel::showNext() {
    page_ = (page_ + 1) % stepCount();
}

void TipCarousel::showPrevious() {
    page_ = (page_ - 1 + stepCount()) % stepCount();
}

TipCarousel::Card TipCarousel::rebuild(const AppSettings& settings) {
    count_ = static_cast<int>(WorkbenchTips::count);
    auto tips = WorkbenchTips::tips(settings);
    return {std::move(tips.at(static_cast<std::size_t>(page_))),
            std::to_string(page_ + 1) + " / " + std::to_string(count_)};
}

}  // namespace velumo
