// The INI-style text beneath the settings file: groups ("[name]"), keys
// ("key = value") and comments ("; text"), held in file order as UTF-8 bytes.
// Reading accepts hand-edited files; writing gives one fixed line form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
  enum class Kind { kGroup, kComment, kKey };
  Kind kind = Kind::kKey;
  std::string name;   // group name, comment text or key
  std::string value;  // keys only
};

class IniDocument {
 public:
  // Closes the document held before (see Close), then reads and parses the
  // file at `path`. Returns whether the file could be read; a missing or
  // unreadable file gives an empty document. The file is never created here.
  bool Open(const std::wstring& path);
  // Closes the document held before, then starts an empty one for `path`.
  // The file is left alone until Close.
  void Create(const std::wstring& path);
  // Parses the bytes of a file into entries, dropping anything held before:
  // after EF BB BF the rest is UTF-8, without it every byte is ISO 8859-1.
  // The document is bound to no file.
  void Parse(std::string_view bytes);

  // Makes the group named `name` (ASCII case ignored; first one in the file)
  // current; "" selects the keys above the first group. A group that does not
  // exist becomes pending: reads give their defaults, and the first write
  // appends it at the end. Returns whether the group exists.
  bool SelectGroup(std::string_view name);
  // The value of the first `key` (ASCII case ignored) in the current group,
  // read as a decimal integer like "-12", "+1" or "1x"; a value without
  // leading digits gives 0. Numbers beyond the 32-bit range saturate.
  // `fallback` when the key or the group is missing.
  std::int32_t ReadInteger(std::string_view key, std::int32_t fallback) const;
  // Sets `key` of the current group to the decimal text of `value`, adding the
  // key at the end of the group when it is not there yet.
  void WriteInteger(std::string_view key, std::int32_t value);

  // The bytes Close writes: EF BB BF, CR LF, then one line per entry.
  std::string Bytes() const;
  // Writes the document if a write changed it, replacing the file in one step,
  // then empties the document. Returns false only when that write failed; the
  // file then keeps its old content.
  bool Close();

  const std::vector<IniEntry>& entries() const { return entries_; }

 private:
  static constexpr std::size_t kGlobal = static_cast<std::size_t>(-1);

  // The entries of the current group: [first, end).
  std::size_t GroupBegin() const;
  std::size_t GroupEnd() const;
  std::size_t FindKey(std::string_view key) const;

  std::wstring path_;
  std::vector<IniEntry> entries_;
  std::size_t current_ = kGlobal;  // index of the current group entry
  std::string pending_group_;
  bool has_pending_group_ = false;
  bool changed_ = false;
};

// Decimal text to integer in the settings file's manner: leading white space,
// an optional sign, then digits up to the first other character; 0 when there
// are none. Saturates at the limits of the 32-bit range.
std::int32_t IniInteger(std::string_view text);
