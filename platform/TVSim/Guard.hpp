#pragma once
// The simulated host and its test control are for tests, benchmarks and the
// demo. The add-on talks to the host through the TVAPI_ functions alone: it
// can reach this folder through the platform's include root, so only the
// simulator's target defines the macro below, and the add-on fails to build
// the moment it includes a header from here.
#ifndef TC_HOST_SIMULATOR
#error "TVSim is the simulated host's test control; the add-on talks to the host through TVAPI only"
#endif
