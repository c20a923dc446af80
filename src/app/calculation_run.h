// The calculation run behind the toolbar's Start and Stop.
//
// Each run has a generation and a stop token of its own. Stop ends the current
// run on the window side at once and asks its worker to stop; Start makes a
// new run that shares nothing with any earlier worker. Whatever an earlier
// run's worker still sends (progress, the end-of-list reset) is decided on the
// window thread against the current generation and dropped when stale.
#pragma once

#include <cstdint>
#include <string>

// Menu event 1: running state, then the worker hashes the ticked rows, at
// above-normal priority when asked.
void StartCalculation(bool higher_priority);
// Menu event 2: asks the run to stop and returns to the idle state at once.
void StopCalculation();

