// Save MD5: the ticked, hashed rows as a checksum list file.
#pragma once

#include <memory>
#include <string>

#include "app/file_rows.h"

// Menu event 4: save requester, then the file; a message box titled "Error"
// when the file cannot be written.
void SaveChecksumList();
// Until every save chosen so far is written (or has failed): the program
// waits for this before it ends, so that no list is left half written.
void FinishSaves();

// Writes `rows` as the list at exactly `path`, after the saves chosen before.
void QueueSave(std::shared_ptr<const ChecksumListRows> rows, std::wstring path);
bool SavesUnderWay();
