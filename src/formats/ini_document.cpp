#include "formats/ini_document.h"

#include <limits>

#include "os/ascii_case.h"
#include "os/replace_file.h"
#include "os/whole_file.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (b >> 6));
      text += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return text;
}

// One line without its line end; it holds at least one non-blank character.
IniEntry ParseLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  line.remove_prefix(i);
  IniEntry entry;
  if (line[0] == ';') {
    entry.kind = IniEntry::Kind::kComment;
    line.remove_prefix(line.size() > 1 && IsBlank(line[1]) ? 2 : 1);
    entry.name = line;
  } else if (line[0] == '[') {
    entry.kind = IniEntry::Kind::kGroup;
    const std::size_t close = line.find(']');  // text after it is ignored
    entry.name = line.substr(1, close == std::string_view::npos ? close : close - 1);
  } else {
    entry.kind = IniEntry::Kind::kKey;
    const std::size_t equals = line.find('=');
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
    entry.name = key;
    if (equals != std::string_view::npos) {
      std::string_view value = line.substr(equals + 1);
      while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
      entry.value = value;  // trailing blanks belong to the value
    }
  }
  return entry;
}

}  // namespace

std::int32_t IniInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (IsBlank(text[i]) || text[i] == '\v' || text[i] == '\f')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude up to one past the limit, then stop growing.
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return magnitude >= kCap ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

bool IniDocument::Open(const std::wstring& path) {
  Close();
  std::string bytes;
  const bool opened = os::ReadWholeFile(path, &bytes);
  Parse(bytes);
  path_ = path;
  return opened;
}

void IniDocument::Create(const std::wstring& path) {
  Close();
  path_ = path;
}

void IniDocument::Parse(std::string_view bytes) {
  path_.clear();
  entries_.clear();
  current_ = kGlobal;
  pending_group_.clear();
  has_pending_group_ = false;
  changed_ = false;

  std::string converted;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  } else {
    converted = Latin1ToUtf8(bytes);
    bytes = converted;
  }
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {  // line ends and blank lines
      ++i;
      continue;
    }
    std::size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(i, end - i);
    i = end;
    // A line of blanks only is a blank line, not a key named "".
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    entries_.push_back(ParseLine(line));
  }
}

bool IniDocument::SelectGroup(std::string_view name) {
  has_pending_group_ = false;
  pending_group_.clear();
  if (name.empty()) {
    current_ = kGlobal;
    return true;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == IniEntry::Kind::kGroup && os::EqualIgnoringAsciiCase(entries_[i].name, name)) {
      current_ = i;
      return true;
    }
  }
  has_pending_group_ = true;
  pending_group_ = name;
  return false;
}

std::size_t IniDocument::GroupBegin() const { return current_ == kGlobal ? 0 : current_ + 1; }

std::size_t IniDocument::GroupEnd() const {
  std::size_t i = GroupBegin();
  while (i < entries_.size() && entries_[i].kind != IniEntry::Kind::kGroup) ++i;
  return i;
}

std::size_t IniDocument::FindKey(std::string_view key) const {
  const std::size_t end = GroupEnd();
  for (std::size_t i = GroupBegin(); i < end; ++i) {
    if (entries_[i].kind == IniEntry::Kind::kKey && os::EqualIgnoringAsciiCase(entries_[i].name, key)) return i;
  }
  return end;
}

std::int32_t IniDocument::ReadInteger(std::string_view key, std::int32_t fallback) const {
  if (has_pending_group_) return fallback;
  const std::size_t found = FindKey(key);
  if (found == GroupEnd()) return fallback;
  return IniInteger(entries_[found].value);
}

void IniDocument::WriteInteger(std::string_view key, std::int32_t value) {
  if (has_pending_group_) {
    entries_.push_back(IniEntry{IniEntry::Kind::kGroup, std::move(pending_group_), {}});
    current_ = entries_.size() - 1;
    pending_group_.clear();
    has_pending_group_ = false;
  }
  const std::size_t found = FindKey(key);
  if (found == GroupEnd()) {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(found),
                    IniEntry{IniEntry::Kind::kKey, std::string(key), std::to_string(value)});
  } else {
    entries_[found].name = key;
    entries_[found].value = std::to_string(value);
  }
  changed_ = true;
}

std::string IniDocument::Bytes() const {
  std::string text = "\xEF\xBB\xBF\r\n";
  for (const IniEntry& entry : entries_) {
    switch (entry.kind) {
      case IniEntry::Kind::kGroup:
        text += "[" + entry.name + "]";
        break;
      case IniEntry::Kind::kComment:
        text += "; " + entry.name;
        break;
      case IniEntry::Kind::kKey:
        text += entry.name + " = " + entry.value;
        break;
    }
    text += "\r\n";
  }
  return text;
}

bool IniDocument::Close() {
  const bool ok = !changed_ || path_.empty() || os::ReplaceFileContents(path_, Bytes());
  Parse({});
  return ok;
}
