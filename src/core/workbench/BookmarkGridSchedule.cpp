#include "workbench/BookmarkGridSchedule.h"

#include "workbench/WorkbenchRules.h"

namespace velumo {

bool BookmarkGridSchedule::receive(std::vector<Bookmark> bookmarks, bool visible) {
    if (!WorkbenchRules::sameGrid(latest_, bookmarks)) {
        stale_ = true;
    }
    latest_ = std::move(bookmarks);
    return stale_ && visible;
}

const std::vector<Bookmark>& BookmarkGridSchedule::build() {
    stale_ = false;
    return latest_;
}

}  // namespace velumo
