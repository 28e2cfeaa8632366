#pragma once

// Milliseconds of a steady clock: the one clock of the device layer, fed to
// the stick session, the probe, the write queues and the repeat limiter.
long long SteadyMilliseconds();
