// Save MD5: the ticked, hashed rows as a checksum list file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/file_rows.h"

// Menu event 4: save requester, then the file, written by a worker. When the
// file cannot be written, or memory runs out for the rows' snapshot, a box
// titled "Error" over the main window says so, and a quit that waits for the
// save is called off.
void SaveChecksumList();
// Until every save chosen so far is written (or has failed).
void FinishSaves();

// Writes the snapshot's lines as the list at exactly `path`, after the saves
// chosen before.
// From now until it is written, Windows is asked to hold off the end of the
// session ("Saving the checksum list").
void QueueSave(std::shared_ptr<ListSnapshot> snapshot, std::wstring path);
bool SavesUnderWay();

// The end of the session: refused while a save is queued or under way, so
// that Windows shows the reason and the user chooses. When it comes all the
// same, the save gets this long to be written.
bool SessionMayEnd();
inline constexpr std::uint32_t kSessionEndWaitMilliseconds = 5000;
void EndSessionAfterSaves();
