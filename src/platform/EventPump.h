#pragma once

namespace platform {

// Runs the event loop for maxWaitMs milliseconds, so that pending window, timer and network
// events are handled while logic waits for the network. A wait loop built on it sleeps in the
// event loop instead of spinning a core.
void doEvents(int maxWaitMs = 5);

} // namespace platform
