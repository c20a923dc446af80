// The dispatch table: which handler each event of each window reaches.
#pragma once

#include <string>
#include <vector>

#include "ui/dispatch_row.h"
#include "ui/events.h"

// The row that `event` matches, or null: such an event is ignored.
const DispatchRow* FindDispatchRow(const Event& event);
// Runs the matching row's action; false when the event is ignored.
bool DispatchEvent(const Event& event);

// The main window's own rows, given what they act on.
void RequestQuit();
void AddDroppedPathsOfEvent(const Event& event);
void AddFilesOfRequester();
void StartCalculationRun();
void OpenOptions();
void OpenMd5FileVerifier();
void OpenEmptyFileVerifier();
void OpenTextDigest();
void OpenAbout();
