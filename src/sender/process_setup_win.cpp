#include "sender/process_setup.h"

// A Windows GUI process has no standard descriptors or signals to put right:
// nothing a launcher passes on changes the run.
void SetUpProcessForRun() {}
