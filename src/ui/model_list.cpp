// The notifications of a list gadget with a model: the control asks for what
// it draws, and leaves the user's ticks to its owner.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ui/ui_state.h"

namespace ui {

namespace {

// The user's click on a tick box, or space: the model changes at once (a
// worker reading it next sees the new tick), then the row is drawn again.
void ToggleTick(GadgetRecord& gadget, std::int32_t row) {
  if (!gadget.model.set_ticked || row < 0 || row >= gadget.model.count()) return;
  gadget.model.set_ticked(row, !gadget.model.ticked(row));
  SendMessageW(gadget.handle, LVM_REDRAWITEMS, row, row);
}

// Type-ahead: the first row from `start` on (wrapping) whose first cell starts
// with `typed`, ignoring case; -1 for none.
LRESULT FindRow(const ListModel& model, const std::wstring& typed, std::int32_t start) {
  const std::int32_t count = model.count();
  if (count == 0) return -1;
  if (start < 0 || start >= count) start = 0;
  for (std::int32_t step = 0; step < count; ++step) {
    const std::int32_t row = (start + step) % count;
    const std::wstring first = model.cell(row, 0);
    if (first.size() < typed.size()) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first.c_str(), static_cast<int>(typed.size()),
                       typed.c_str(), static_cast<int>(typed.size())) == CSTR_EQUAL)
      return row;
  }
  return -1;
}

}  // namespace

LRESULT AnswerModelList(std::int32_t gadget, NMHDR* header) {
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return 0;
  const ListModel& model = record->model;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.iItem < 0) return 0;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = model.cell(item.iItem, item.iSubItem);
        const std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, length);
        item.pszText[length] = L'\0';
      }
      if ((item.mask & LVIF_STATE) && model.ticked) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(model.ticked(item.iItem) ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case NM_CLICK:
    case NM_DBLCLK: {  // the second click of a double click comes as this alone
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
      SendMessageW(record->handle, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) ToggleTick(*record, hit.iItem);
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE)
        ToggleTick(*record, static_cast<std::int32_t>(
                                SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
      return 0;
    case LVN_ODSTATECHANGED:
      NoteListSelection(gadget);
      return 0;
    case LVN_ODFINDITEMW: {
      const auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
      return FindRow(model, find->lvfi.psz, find->iStart);
    }
    default:
      return 0;
  }
}

}  // namespace ui
