#pragma once

namespace velumo::DesignResources {

// Makes the design's style sheets reachable under
// /com/orvantis/velumo/design/; only the first call does anything.
void registerOnce();

}  // namespace velumo::DesignResources
