// The settings file's INI parser, lookups and writer over arbitrary bytes.
// Besides the sanitizers it checks that a written value reads back and that
// the written text parses into a document that writes the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/ini_document.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)IniInteger(bytes);

  IniDocument document;
  document.Parse(bytes);
  // The lookups of loading the settings, then every group and key the input names.
  document.SelectGroup("hash");
  (void)document.ReadInteger("thread.higher", 0);
  (void)document.ReadInteger("auto.check", 1);
  const std::vector<IniEntry> entries = document.entries();
  document.SelectGroup("");
  for (const IniEntry& entry : entries) {
    if (entry.kind == IniEntry::Kind::kGroup) document.SelectGroup(entry.name);
    if (entry.kind == IniEntry::Kind::kKey) (void)document.ReadInteger(entry.name, -1);
  }

  const std::int32_t value = size == 0 ? 7 : static_cast<std::int32_t>(data[0] * 16777619u);
  document.SelectGroup(size > 1 && data[1] % 2 ? "" : "hash");
  document.WriteInteger("auto.check", value);
  Require(document.ReadInteger("AUTO.CHECK", value ^ 1) == value);

  const std::string text = document.Bytes();
  IniDocument again;
  again.Parse(text);
  Require(again.Bytes() == text);
  return 0;
}
