// The program's two options and the file that keeps them, "settings.ini" in
// the working directory: group "hash", keys "thread.higher" and "auto.check".
#pragma once

#include <cstdint>

// Any nonzero value means on.
struct Settings {
  std::int32_t thread_higher = 0;  // workers run above normal priority
  std::int32_t auto_check = 1;     // new file list rows start ticked
};

// The settings from "settings.ini" in the working directory, each one missing
// from the file (or the whole file) taking its default. Never creates, changes
// or writes the file.
Settings LoadSettings();

// Replaces "settings.ini" with the group and the two keys holding the values
// as given, and nothing else: comments, other groups and keys a user added are
// dropped. The old file stays as it was when the write fails; returns false then.
bool SaveSettings(const Settings& settings);
