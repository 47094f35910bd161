#pragma once
// The simulated host and its test control are for tests, benchmarks and the
// demo; the add-on sees only what a real host ships. It can still reach this
// folder through the platform's include root, so only the simulator's target
// defines the macro below, and an add-on file that includes a header from
// here fails to build.
#ifndef TC_HOST_SIMULATOR
#error "TVSim is the simulated host's test control, for tests, benchmarks and the demo only"
#endif
