// The Options window (window 1): the two settings as check boxes; they take
// effect only through OK, which stores them and reads them back.
#include "windows/options_window.h"

#include "ui/gadget.h"

void OpenOptionsWindow(const ToolWindowContext& context) {
  if (!OpenToolWindow(kOptionsWindow, 370, 200, L"Options", WindowStyle::Tool, context)) return;
  ButtonGadget(kOptionsOkButton, 210, 165, 70, 22, L"OK");
  ButtonGadget(kOptionsCancelButton, 290, 165, 70, 22, L"Cancel");
  PanelGadget(kOptionsPanel, 10, 10, 350, 145);
  CheckBoxGadget(kOptionsAutoCheckBox, 10, 5, 320, 20, L"Automatically put checkbox on files, right after they're added");
  CheckBoxGadget(kOptionsThreadHigherBox, 10, 25, 320, 20, L"Higher threads priority (more CPU cycles for the calculation)");
  EndPanel();
  // Not announced as an empty tab list: it frames the options.
  NameGadget(kOptionsPanel, L"Options");
  SetDefaultButton(kOptionsOkButton);
  SetCancelButton(kOptionsCancelButton);
  FocusGadget(kOptionsAutoCheckBox);
  // The values in memory, as the last load left them; the file is not read here.
  const Settings& settings = *context.settings;
  SetGadgetState(kOptionsAutoCheckBox, settings.auto_check != 0 ? 1 : 0);
  SetGadgetState(kOptionsThreadHigherBox, settings.thread_higher != 0 ? 1 : 0);
  DisableToolWindowOwner(kOptionsWindow);
}

void OnOptionsWindowEvent(const Event& event) {
  const std::int32_t gadget = event.gadget;
  if (gadget != kOptionsOkButton && gadget != kOptionsCancelButton) return;
  if (gadget == kOptionsOkButton) {
    Settings chosen;
    chosen.thread_higher = GetGadgetState(kOptionsThreadHigherBox) == 1 ? 1 : 0;
    chosen.auto_check = GetGadgetState(kOptionsAutoCheckBox) == 1 ? 1 : 0;
    // A file that cannot be written is not reported: the reload then keeps
    // what the file held before, so memory and file never disagree.
    SaveSettings(chosen);
    *ToolContextOf(kOptionsWindow).settings = LoadSettings();
  }
  CloseToolWindow(kOptionsWindow, CloseOrder::CloseFirst);
}

const std::vector<DispatchRow>& OptionsWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kOptionsWindow, kEventControl, kOptionsOkButton, kAnyType, nullptr, OnOptionsWindowEvent},
      {kOptionsWindow, kEventControl, kOptionsCancelButton, kAnyType, nullptr, OnOptionsWindowEvent},
  };
  return rows;
}
