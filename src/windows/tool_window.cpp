#include "windows/tool_window.h"

#include <map>

namespace {

// Window thread only.
std::map<std::int32_t, ToolWindowContext>& Contexts() {
  static std::map<std::int32_t, ToolWindowContext> contexts;
  return contexts;
}

}  // namespace

bool OpenToolWindow(std::int32_t number, std::int32_t width, std::int32_t height, const std::wstring& title,
                    WindowStyle style, const ToolWindowContext& context) {
  // The position is the centring's.
  if (!OpenWindow(number, 0, 0, width, height, title, style, context.owner)) return false;
  Contexts()[number] = context;
  return true;
}

void DisableToolWindowOwner(std::int32_t number) { EnableWindowNumber(ToolContextOf(number).owner, false); }

const ToolWindowContext& ToolContextOf(std::int32_t number) {
  static const ToolWindowContext none;
  auto found = Contexts().find(number);
  return found == Contexts().end() ? none : found->second;
}

void CloseToolWindow(std::int32_t number, CloseOrder order) {
  const std::int32_t owner = ToolContextOf(number).owner;
  // Enabled first, the owner takes the activation straight back as the tool
  // window goes; Options alone closes first and then enables it, as its OK
  // and Cancel have always done (closing activates the owner all the same).
  if (order == CloseOrder::EnableOwnerFirst) EnableWindowNumber(owner, true);
  CloseWindowNumber(number);
  if (order == CloseOrder::CloseFirst) EnableWindowNumber(owner, true);
}
