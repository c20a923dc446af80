#include "formats/settings.h"

#include <new>

#include "formats/ini_document.h"

namespace {
constexpr wchar_t kSettingsFile[] = L"settings.ini";
}

Settings LoadSettings() {
  Settings settings;
  try {
    IniDocument document;
    document.Open(kSettingsFile);
    document.SelectGroup("hash");
    settings.thread_higher = document.ReadInteger("thread.higher", settings.thread_higher);
    settings.auto_check = document.ReadInteger("auto.check", settings.auto_check);
    document.Close();  // nothing was written, so nothing is saved
  } catch (const std::bad_alloc&) {
    settings = Settings{};
  }
  return settings;
}

bool SaveSettings(const Settings& settings) {
  try {
    IniDocument document;
    document.Create(kSettingsFile);
    document.SelectGroup("hash");
    document.WriteInteger("thread.higher", settings.thread_higher);
    document.WriteInteger("auto.check", settings.auto_check);
    return document.Close();
  } catch (const std::bad_alloc&) {
    return false;
  }
}
