// The OLE drop target: files from the shell's list-of-files format.
#include "ui/file_drop.h"

#include <windows.h>

#include <ole2.h>
#include <commctrl.h>
#include <shellapi.h>

#include <new>

#include "ui/events.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

bool HoldsFiles(IDataObject* data) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data && data->QueryGetData(&format) == S_OK;
}

// One per registered window. COM calls it on the window thread; nothing may
// throw out of these methods.
struct FileDropTarget final : IDropTarget {
  LONG references = 1;
  std::int32_t window = -1;
  bool accepting = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
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
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    accepting = HoldsFiles(data);
    *effect = accepting ? Choose(*effect) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = accepting ? Choose(*effect) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    accepting = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    accepting = false;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || data->GetData(&format, &medium) != S_OK) return S_OK;
    // Copy the paths out before the data object goes back to its source.
    try {
      PushEvent({kEventDrop, window, 0, -1, -1, DroppedPaths(static_cast<HDROP>(medium.hGlobal))});
      *effect = DROPEFFECT_COPY;
    } catch (...) {
    }
    ReleaseStgMedium(&medium);
    return S_OK;
  }

  // Copy, move and link are all accepted; copy is what the source is told.
  static DWORD Choose(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    return allowed & DROPEFFECT_LINK;
  }
};

}  // namespace

bool EnableFileDrop(std::int32_t window) {
  HWND handle = WindowHandle(window);
  if (!handle) return false;
  auto* target = new (std::nothrow) FileDropTarget;
  if (!target) return false;
  target->window = window;
  bool registered = RegisterDragDrop(handle, target) == S_OK;
  target->Release();  // the registration holds its own reference; revoked on WM_DESTROY
  return registered;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    UINT length = DragQueryFileW(drop, index, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, index, path.data(), length + 1));
    paths.push_back(std::move(path));
  }
  return paths;
}
