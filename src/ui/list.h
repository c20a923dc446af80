// Rows of list gadgets.
//
// A list without a model keeps its rows here, safe from any thread under the
// contract of gadget.h: a write by row index made on a worker is pinned to
// that row when made, so it follows the row when rows above it go and is
// dropped when the row itself has gone.
//
// A list with a model (list_model.h) keeps none: its owner changes the model
// and then tells the control, on the window thread, with the calls at the end.
#pragma once

#include <cstdint>
#include <string>

// Appends a row; `texts` holds the column texts joined by LF (missing cells
// are empty, extra ones dropped, and a cell keeps to one line).
void AddListRow(std::int32_t gadget, const std::wstring& texts);
std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column);
void SetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column, const std::wstring& text);

// Either kind. With a model, window thread only and after the model changed:
// the control drops the row's place (the selection below moves up with its row),
// or every row.
void RemoveListRow(std::int32_t gadget, std::int32_t row);
void ClearList(std::int32_t gadget);
// Either kind; a model list answers from its model.
std::int32_t CountListRows(std::int32_t gadget);

// Model lists, window thread only: the control takes the model's row count
// (rows were appended), without scrolling or drawing the rows it shows again;
// and one row is drawn again after the model changed it.
void ShowListRowCount(std::int32_t gadget);
void RedrawListRow(std::int32_t gadget, std::int32_t row);
