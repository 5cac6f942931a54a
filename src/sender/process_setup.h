#pragma once

// The process's own settings that the run relies on, made once a pending dump
// has been found, so that a run with nothing to send costs nothing for them.
void SetUpProcessForRun();
