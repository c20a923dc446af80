// The file verifier window (window 3).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kFileVerifierWindow = 3;

// The gadgets of the file verifier, numbered apart from every other window's (app/numbers.cpp).
inline constexpr std::int32_t kFileVerifierChecksumFrame = 11, kFileVerifierPathField = 12,
                              kFileVerifierChooseButton = 13, kFileVerifierInputFileFrame = 14,
                              kFileVerifierChecksumField = 15, kFileVerifierPasteButton = 16,
                              kFileVerifierStatusLabel = 17, kFileVerifierStatusLine = 18,
                              kFileVerifierCheckButton = 19;
inline constexpr std::array<std::int32_t, 9> kFileVerifierGadgets{
    kFileVerifierChecksumFrame, kFileVerifierPathField, kFileVerifierChooseButton, kFileVerifierInputFileFrame,
    kFileVerifierChecksumField, kFileVerifierPasteButton, kFileVerifierStatusLabel, kFileVerifierStatusLine,
    kFileVerifierCheckButton};

// Menu event 10: opens the window with `path` as the file, then disables its owner.
void OpenFileVerifierWindow(const ToolWindowContext& context, const std::wstring& path);
// Close request of window 3: enables the owner, then closes.
void CloseFileVerifierWindow();
// Gadget 16 (paste): the clipboard's text into the checksum field.
void PasteChecksum();
// Gadget 13 (...): requester for the file to check.
void ChooseFileToVerify();
// Gadget 15 changed: Check enabled only for a digest text and a usable file.
void UpdateFileVerifierCheckButton();
// Gadget 19 (Check): starts the worker that checks the file.
void StartSingleFileCheck();
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& FileVerifierWindowRows();
