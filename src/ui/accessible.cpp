// What screen readers are told about controls whose own text is not their
// name: fields named by the frame around them, lists by their first column,
// the picture, the panel, and the link we draw ourselves.
//
// Standard controls are named by dynamic annotation, which Windows' own
// proxies (and UI Automation's) read. Where the system has no annotation
// service (Wine's answers "not implemented"), the control answers
// WM_GETOBJECT itself with the standard object, renamed. The link, our own
// control, always answers WM_GETOBJECT: a link role, its address as its
// name, and a default action that raises its click event.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include "os/win32/system_library.h"
#include "ui/gadget.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

// Defined here: MinGW's uuid library gives IID_IAccessible a wrong value.
constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kPropName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropRole = {0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};

constexpr UINT_PTR kNamedSubclass = 2;  // the panel's own subclass is 1

const wchar_t kLinkAction[] = L"Jump";

// The two accessibility functions, bound once from System32 (an import would
// have the loader look for the DLL beside the executable first). Without
// them a control leaves its answer to the system's default.
using CreateStandardObject = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
struct AccessibilityFunctions {
  CreateStandardObject create_standard = nullptr;
  ResultFromObject result_from_object = nullptr;
};

const AccessibilityFunctions& Accessibility() {
  static const AccessibilityFunctions functions{
      os::SystemFunction<CreateStandardObject>(L"oleacc.dll", "CreateStdAccessibleObject"),
      os::SystemFunction<ResultFromObject>(L"oleacc.dll", "LresultFromObject")};
  return functions;
}

// What one control says of itself, where it differs from the system's answer.
struct Look {
  std::wstring name;
  LONG role = 0;  // 0: the system's
  bool link = false;
};

// The role a kind of gadget has whatever the system thinks: the picture is a
// graphic, and the panel (a tab control without tabs) a group, not a tab list.
LONG RoleOfKind(GadgetKind kind) {
  switch (kind) {
    case GadgetKind::Image:
      return ROLE_SYSTEM_GRAPHIC;
    case GadgetKind::Panel:
      return ROLE_SYSTEM_GROUPING;
    case GadgetKind::HyperLink:
      return ROLE_SYSTEM_LINK;
    default:
      return 0;
  }
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of the control with the answers of `look` in place of
// its own for the control itself; everything else, its children included, is
// the standard object's.
class RenamedObject final : public IAccessible {
 public:
  RenamedObject(HWND control, IAccessible* standard, Look look)
      : control_(control), standard_(standard), look_(std::move(look)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDispatch) || IsEqualGUID(iid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // IEnumVARIANT, IOleWindow and the like: the standard object's.
    return standard_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      standard_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
    return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || look_.name.empty()) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    *name = SysAllocString(look_.name.c_str());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child) || look_.role == 0) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = look_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = standard_->get_accState(child, state);
    if (IsSelf(child) && look_.link && SUCCEEDED(result) && state && state->vt == VT_I4)
      state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
    return result;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || !look_.link) return standard_->get_accDefaultAction(child, action);
    if (!action) return E_POINTER;
    *action = SysAllocString(kLinkAction);
    return *action ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || !look_.link) return standard_->accDoDefaultAction(child);
    // The window may be gone by the time a reader asks.
    if (!IsWindow(control_) || !IsWindowEnabled(control_)) return E_FAIL;
    RaiseClick(control_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 private:
  LONG references_ = 1;
  HWND control_;
  IAccessible* standard_;
  Look look_;
};

// The system's annotation service, made once; null where there is none.
IAccPropServices* Annotations() {
  static IAccPropServices* services = [] {
    IAccPropServices* made = nullptr;
    if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                                reinterpret_cast<void**>(&made))))
      return static_cast<IAccPropServices*>(nullptr);
    return made;
  }();
  return services;
}

bool Annotate(HWND control, const std::wstring& name, LONG role) {
  IAccPropServices* services = Annotations();
  if (!services) return false;
  if (FAILED(services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, kPropName, name.c_str()))) return false;
  if (role == 0) return true;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = role;
  return SUCCEEDED(services->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, kPropRole, value));
}

LRESULT CALLBACK NamedProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_GETOBJECT) {
    if (const LRESULT answer = AnswerGetObject(handle, wparam, lparam)) return answer;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(handle, NamedProcedure, kNamedSubclass);
  }
  return DefSubclassProc(handle, message, wparam, lparam);
}

}  // namespace

namespace ui {

LRESULT AnswerGetObject(HWND control, WPARAM wparam, LPARAM lparam) {
  if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
  GadgetRecord* gadget = FindGadget(GadgetNumberOf(control));
  if (!gadget) return 0;
  Look look;
  look.role = RoleOfKind(gadget->kind);
  look.link = gadget->kind == GadgetKind::HyperLink;
  look.name = look.link ? gadget->text : gadget->accessible_name;
  if (look.name.empty() && look.role == 0) return 0;
  const AccessibilityFunctions& accessibility = Accessibility();
  if (!accessibility.create_standard || !accessibility.result_from_object) return 0;
  IAccessible* standard = nullptr;
  if (FAILED(accessibility.create_standard(control, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard))) ||
      !standard)
    return 0;
  auto* object = new RenamedObject(control, standard, std::move(look));
  const LRESULT answer = accessibility.result_from_object(kIidAccessible, wparam, static_cast<IAccessible*>(object));
  object->Release();  // the answer holds its own reference
  return answer < 0 ? 0 : answer;
}

void ForgetAnnotations(const GadgetRecord& gadget) {
  if (gadget.accessible_name.empty() || gadget.kind == GadgetKind::HyperLink) return;
  // The system keeps annotations apart from the window; they would outlive it.
  MSAAPROPID annotated[] = {kPropName, kPropRole};
  if (IAccPropServices* services = Annotations())
    services->ClearHwndProps(gadget.handle, OBJID_CLIENT, CHILDID_SELF, annotated, 2);
}

}  // namespace ui

void NameGadget(std::int32_t gadget, const std::wstring& name) {
  GadgetRecord* record = FindGadget(gadget);
  if (!record || !OnWindowThread()) return;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    record->accessible_name = name;
  }
  if (record->kind == GadgetKind::HyperLink) return;  // it answers for itself
  if (!Annotate(record->handle, name, RoleOfKind(record->kind)))
    SetWindowSubclass(record->handle, NamedProcedure, kNamedSubclass, 0);
}
