#pragma once

#include <span>
#include <string_view>

#include "data/AppDataStore.h"
#include "data/Models.h"

namespace velumo {

struct DefaultBookmark {
    std::string_view title;
    std::string_view url;
};

// The sites a new document starts with, in the order the bookmark grid shows.
std::span<const DefaultBookmark> defaultBookmarks();

// Appends the default sites to a document that has never had them, skipping
// sites already bookmarked under any spelling of their address, and marks the
// document seeded so that sites the user removes do not come back. Does not
// save: the store writes the document right after.
void seedDefaultBookmarks(AppDataSnapshot& document,
                          const AppDataStore::Clock& clock = AppDataStore::systemClock());

}  // namespace velumo
