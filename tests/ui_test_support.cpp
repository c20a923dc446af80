#include "ui_test_support.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/scale.h"
#include "ui/window.h"

std::int32_t WindowClientWidth(std::int32_t number) {
  RECT client{};
  HWND handle = WindowHandle(number);
  return handle && GetClientRect(handle, &client) ? ui::Unscaled(client.right, WindowDpi(number)) : 0;
}

HICON ImageIcon(std::int32_t image) { return ui::ImageIconAt(image, ui::kBaseDpi); }

std::int32_t CountListRows(std::int32_t gadget) {
  HWND list = GadgetHandle(gadget);
  return list ? static_cast<std::int32_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column) {
  HWND list = GadgetHandle(gadget);
  return list && row >= 0 ? ListCellText(list, row, column) : std::wstring();
}

std::vector<SeenEvent> ServeFor(std::int32_t ms) {
  std::vector<SeenEvent> seen;
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    std::int32_t kind = WaitEvent(static_cast<std::int32_t>(deadline - now));
    if (kind == 0) break;
    const Event& event = TakenEvent();
    seen.push_back({kind, event.window, event.gadget, event.menu, event.type, event.paths});
  }
  return seen;
}

bool ServeUntil(const std::function<bool()>& done, std::int32_t ms) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    WaitEvent(10);
  }
  return true;
}

std::wstring MessageBoxText(HWND box) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

ListColumnInfo ListColumn(HWND list, int column) {
  wchar_t text[64] = L"";
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_WIDTH;
  info.pszText = text;
  info.cchTextMax = 64;
  if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) return {};
  return {text, info.cx};
}

bool EmptyClipboardNow() {
  if (!OpenClipboard(nullptr)) return false;
  const bool emptied = EmptyClipboard() != FALSE;
  CloseClipboard();
  return emptied;
}

std::wstring WindowText(HWND handle) {
  wchar_t text[512] = L"";
  GetWindowTextW(handle, text, 512);
  return text;
}

std::wstring ListCellText(HWND list, int row, int column) {
  wchar_t text[512] = L"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

std::wstring ClassName(HWND handle) {
  wchar_t name[128] = L"";
  GetClassNameW(handle, name, 128);
  return name;
}

std::vector<SeenEvent> PressKey(HWND target, WORD key, bool control, bool shift) {
  // Shortcut matching reads the modifier state of this thread's keyboard.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  std::vector<SeenEvent> seen = ServeFor(100);
  keys[VK_CONTROL] = 0;
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  return seen;
}

bool ClickTickBox(HWND list, int row) {
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return false;
  const int y = (bounds.top + bounds.bottom) / 2;
  auto on_box = [&](int x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON) != 0;
  };
  int first = bounds.left;
  while (first < bounds.left + 64 && !on_box(first)) ++first;
  if (first == bounds.left + 64) return false;
  int last = first;
  while (on_box(last + 1)) ++last;
  const LPARAM at = MAKELPARAM((first + last) / 2, y);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  return true;
}

IconImageSize SizeOfIcon(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight, bitmap.bmBitsPixel};
}

std::vector<std::uint32_t> IconPixels(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  std::vector<std::uint32_t> pixels;
  HDC screen = GetDC(nullptr);
  for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
    BITMAP shape{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(shape), &shape)) continue;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = shape.bmWidth;
    format.bmiHeader.biHeight = -shape.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const std::size_t start = pixels.size();
    pixels.resize(start + static_cast<std::size_t>(shape.bmWidth) * shape.bmHeight);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.data() + start, &format, DIB_RGB_COLORS);
  }
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return info.hbmColor ? pixels : std::vector<std::uint32_t>{};
}

namespace {

// The group directory of icon resource `resource`: a 6-byte header whose
// bytes 4..5 count the images, then 14 bytes per image.
const BYTE* IconDirectory(std::int32_t resource) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(resource), RT_GROUP_ICON);
  return group ? static_cast<const BYTE*>(LockResource(LoadResource(module, group))) : nullptr;
}

}  // namespace

int IconResourceImageCount(std::int32_t resource) {
  const BYTE* directory = IconDirectory(resource);
  return directory ? directory[4] | (directory[5] << 8) : 0;
}

HICON StoredIconImage(std::int32_t resource, std::int32_t size) {
  const BYTE* directory = IconDirectory(resource);
  if (!directory) return nullptr;
  const int count = IconResourceImageCount(resource);
  for (int k = 0; k < count; ++k) {
    const BYTE* entry = directory + 6 + 14 * k;
    if ((entry[0] == 0 ? 256 : entry[0]) != size || (entry[1] == 0 ? 256 : entry[1]) != size) continue;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry[12] | (entry[13] << 8)), RT_ICON);
    if (!image) return nullptr;
    const DWORD bytes = SizeofResource(module, image);
    // The decoder may write to its input, so it gets a copy.
    const auto* stored = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
    std::vector<BYTE> copy(stored, stored + bytes);
    return CreateIconFromResourceEx(copy.data(), bytes, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
  }
  return nullptr;
}

HWND FindDialog(const std::wstring& title) {
  for (int i = 0; i < 1200; ++i) {
    HWND dialog = FindWindowW(L"#32770", title.c_str());
    if (dialog && IsWindowVisible(dialog)) {
      Sleep(300);  // done with its own set-up
      return dialog;
    }
    Sleep(25);
  }
  return nullptr;
}

void PressUntilGone(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) {
    Sleep(100);
    if (i % 20 == 19) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}

void Answer(RequesterAnswer* answer) {
  HWND dialog = FindDialog(answer->title);
  if (!dialog) return;
  answer->found = true;
  answer->other_was_disabled = answer->other && !IsWindowEnabled(answer->other);
  // The file type box (cmb1 of the common dialogs).
  if (HWND types = GetDlgItem(dialog, 0x470)) {
    LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
      std::wstring name(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
      name.resize(static_cast<std::size_t>(
          SendMessageW(types, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()))));
      answer->file_types.push_back(name);
    }
  }
  if (answer->name.empty()) {
    PressUntilGone(dialog, IDCANCEL);
    return;
  }
  HWND box = FileNameBox(dialog);
  if (box) SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer->name.c_str()));
  PressUntilGone(dialog, IDOK);
}

HGLOBAL MakeFileList(const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* at = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    std::memcpy(at, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    at += path.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

namespace {

// Offers one format; hands out a fresh copy of its data on every GetData.
struct OfferedData final : IDataObject {
  LONG references = 1;
  CLIPFORMAT format = 0;
  std::vector<std::wstring> paths;
  std::wstring text;

  HGLOBAL Copy() const {
    if (format == CF_HDROP) return MakeFileList(paths);
    HGLOBAL memory = GlobalAlloc(GHND, (text.size() + 1) * sizeof(wchar_t));
    if (memory) {
      std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(memory);
    }
    return memory;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = Copy();
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == format && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

}  // namespace

IDataObject* MakeFileDataObject(const std::vector<std::wstring>& paths) {
  auto* data = new OfferedData;
  data->format = CF_HDROP;
  data->paths = paths;
  return data;
}

IDataObject* MakeTextDataObject(const std::wstring& text) {
  auto* data = new OfferedData;
  data->format = CF_UNICODETEXT;
  data->text = text;
  return data;
}

HWND FileNameBox(HWND dialog) {
  HWND box = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM found) -> BOOL {
        if (ClassName(child) != L"Edit" || !IsWindowVisible(child)) return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&box));
  return box;
}

bool DropFiles(HWND window, const std::vector<std::wstring>& paths) {
  auto* target = static_cast<IDropTarget*>(GetPropW(window, L"OleDropTargetInterface"));
  if (!target) return false;
  IDataObject* files = MakeFileDataObject(paths);
  POINTL at{100, 100};
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(files, MK_LBUTTON, at, &effect);
  effect = DROPEFFECT_COPY;
  const bool dropped = target->Drop(files, 0, at, &effect) == S_OK;
  files->Release();
  return dropped;
}
