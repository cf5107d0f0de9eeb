#pragma once

namespace velumo {

// How the application runs a script of its own in a page: a user message
// named `runScript` carrying the script's text goes to the page's web
// process, where Velumo's page extension runs it in the main frame's `world`
// and replies with the JSON text of the result (no text when it failed).
// Nothing on the way is a JavaScript value, so neither process starts a
// script engine of its own for the answer.
namespace PageScriptChannel {

// The isolated world of every script of Velumo's: pages neither see nor
// change what runs there.
inline constexpr const char* world = "velumo";
inline constexpr const char* runScript = "velumo.run-script";

}  // namespace PageScriptChannel
}  // namespace velumo
