// Rows of list gadgets. A list keeps no rows of its own: it draws from its
// model (list_model.h), whose owner changes the rows and then tells the
// control, on the window thread, with the calls below.
#pragma once

#include <cstdint>
#include <string>

// Window thread only, after the model changed: the control takes the model's
// row count (rows were appended) without scrolling or drawing the rows it
// shows again; draws one row again; drops one row's place (the selection
// below moves up with its row); or drops every row.
void ShowListRowCount(std::int32_t gadget);
// ShowListRowCount at most every tenth of a second, for rows that stream in:
// each showing draws the scroll bar again, some ten milliseconds under Wine.
// The last count wants a ShowListRowCount of its own.
void ShowListRowCountNowAndThen(std::int32_t gadget);
void RedrawListRow(std::int32_t gadget, std::int32_t row);
void RemoveListRow(std::int32_t gadget, std::int32_t row);
void ClearList(std::int32_t gadget);
