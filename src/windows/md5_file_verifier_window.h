// The MD5 file verifier window (window 2).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kVerifierWindow = 2;

// The gadgets of the MD5 file verifier, numbered apart from every other window's (app/numbers.cpp).
inline constexpr std::int32_t kVerifierEntryList = 7, kVerifierStatusFrame = 8, kVerifierCheckButton = 9,
                              kVerifierStatusLine = 10;
inline constexpr std::array<std::int32_t, 4> kVerifierGadgets{
    kVerifierEntryList, kVerifierStatusFrame, kVerifierCheckButton, kVerifierStatusLine};

// Menu event 9: requester for a checksum list file, then the window on it.
void VerifyMd5File(const ToolWindowContext& context);
// The window on the list file at `list_path`, then its owner disabled. The
// rows come in as the list is read, on a worker; Check is enabled once the
// last is in. A list without a usable entry leaves the window empty, with a
// message box.
void OpenMd5FileVerifierWindow(const ToolWindowContext& context, const std::wstring& list_path);
// Close request of window 2: ignored while its check runs.
void CloseMd5FileVerifierWindow();
// Gadget 9 (Check): starts the worker that checks every listed file.
void StartVerifyListCheck();
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& Md5FileVerifierWindowRows();
