// The calculation run behind the toolbar's Start and Stop.
// The commands are wired into the event loop; their work is still to be written.
#include "app/calculation_run.h"

void StartCalculation() {}

void StopCalculation() {}
