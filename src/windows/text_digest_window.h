// The text digest window (window 5).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kTextDigestWindow = 5;

// The gadgets of Text to MD5, numbered apart from every other window's (app/numbers.cpp).
inline constexpr std::int32_t kTextDigestEditor = 20, kTextDigestResultFrame = 21, kTextDigestResultField = 22,
                              kTextDigestCopyButton = 23, kTextDigestCalculateButton = 24,
                              kTextDigestPasteButton = 25;
inline constexpr std::array<std::int32_t, 6> kTextDigestGadgets{
    kTextDigestEditor, kTextDigestResultFrame, kTextDigestResultField, kTextDigestCopyButton,
    kTextDigestCalculateButton, kTextDigestPasteButton};

// Menu event 11: opens the window over its owner, then disables the owner.
void OpenTextDigestWindow(const ToolWindowContext& context);
// Close request of window 5: enables the owner, then closes.
void CloseTextDigestWindow();
// Gadget 24 (Calculate): the digest of the typed text into the result field.
void CalculateTextDigest();
// Gadget 25 (Paste): the clipboard's text replaces the editor's.
void PasteTextToDigest();
// Gadget 23 (copy): the result to the clipboard when it is a digest text.
void CopyTextDigest();
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& TextDigestWindowRows();
