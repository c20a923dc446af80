// Rows of list gadgets. Safe from any thread under the contract of gadget.h.
//
// Every row has a stable identity (ListRow::id) that lives as long as the row
// and is never reused. A worker that reads a row, works for a while and then
// writes back should write by that identity: rows above it may be deleted
// meanwhile, and a row that is gone simply takes no write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// State bits of a row.
inline constexpr std::int32_t kRowSelected = 1;
inline constexpr std::int32_t kRowTicked = 2;

struct ListRow {
  std::uint64_t id = 0;    // 0: no such row
  std::intptr_t number = 0;  // the one number the program attached
  std::int32_t state = 0;  // kRowSelected | kRowTicked
  std::vector<std::wstring> cells;
};

// Appends a row; `texts` holds the column texts joined by LF. `number` is the
// number attached to the row.
void AddListRow(std::int32_t gadget, const std::wstring& texts, std::intptr_t number = 0);
void RemoveListRow(std::int32_t gadget, std::int32_t row);
void ClearList(std::int32_t gadget);
std::int32_t CountListRows(std::int32_t gadget);

std::int32_t GetListRowState(std::int32_t gadget, std::int32_t row);
void SetListRowState(std::int32_t gadget, std::int32_t row, std::int32_t state);
std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column);
void SetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column, const std::wstring& text);
std::intptr_t GetListRowNumber(std::int32_t gadget, std::int32_t row);
void SetListRowNumber(std::int32_t gadget, std::int32_t row, std::intptr_t number);

// One consistent copy of a row (identity, number, state and cells read under
// one lock). False, with `out` cleared, when there is no such row.
bool ReadListRow(std::int32_t gadget, std::int32_t row, ListRow* out);
// Writes a cell of the row with identity `id`, wherever it stands by then.
void SetListCellTextById(std::int32_t gadget, std::uint64_t id, std::int32_t column, const std::wstring& text);
// The row index of identity `id` now, or -1.
std::int32_t FindListRow(std::int32_t gadget, std::uint64_t id);

// The same by the number the program attached, for a program that numbers
// its rows uniquely itself: the first row carrying `number` when the read or
// the write is carried out.
bool ReadListRowByNumber(std::int32_t gadget, std::intptr_t number, ListRow* out);
void SetListCellTextByNumber(std::int32_t gadget, std::intptr_t number, std::int32_t column,
                             const std::wstring& text);
