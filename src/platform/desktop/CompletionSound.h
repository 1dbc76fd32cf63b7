#pragma once

// The "work complete" sound of the desktop's sound theme, through
// libcanberra and the session's sound server.
namespace CompletionSound {

void play();

} // namespace CompletionSound
