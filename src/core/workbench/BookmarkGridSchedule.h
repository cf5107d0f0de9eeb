#pragma once

#include <vector>

#include "data/Models.h"

namespace velumo {

// When the workbench builds its bookmark grid. Every change of the data file
// hands the grid the whole list, mostly unchanged (a visit was recorded);
// building a thousand tiles for nothing would stall the page being visited.
// So a list that shows what the grid shows is left alone, and a hidden grid
// waits to be shown before it builds.
class BookmarkGridSchedule {
  public:
    // Takes the store's current list; answers whether the grid must be built
    // now from list().
    bool receive(std::vector<Bookmark> bookmarks, bool visible);
    // The grid came into view; answers whether it must be built now.
    bool becameVisible() const { return stale_; }
    // The list to build from; the grid shows it from now on.
    const std::vector<Bookmark>& build();
    // The latest list; while the grid is not stale it shows the same tiles.
    const std::vector<Bookmark>& list() const { return latest_; }

  private:
    std::vector<Bookmark> latest_;
    // Nothing is built at first, not even the empty grid's text.
    bool stale_ = true;
};

}  // namespace velumo
