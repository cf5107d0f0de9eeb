#include "browser/HandlerChoice.h"

#include <algorithm>

#include "app/ApplicationIdentity.h"

namespace velumo::HandlerChoices {

HandlerChoice choose(const std::vector<std::string>& entries) {
    const std::string own = std::string(ApplicationIdentity::id) + ".desktop";
    if (entries.empty() || entries.front() != own) {
        return {};
    }
    const auto other = std::ranges::find_if(entries, [&](const auto& id) { return id != own; });
    if (other == entries.end()) {
        return {.handoff = Handoff::onlyVelumo};
    }
    return {.handoff = Handoff::nextApplication,
            .index = static_cast<std::size_t>(other - entries.begin())};
}

}  // namespace velumo::HandlerChoices
