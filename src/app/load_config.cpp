// The executable's load configuration, which the linker points the header's
// load-configuration entry at when it finds this record by its name. It
// carries one setting: Windows (10, version 1607 and later) resolves the
// imports of the system DLLs the program loads from System32 alone, as it
// does for the program's own, not from the executable's folder. Laid out as
// the 64-bit record of that version; older systems read the part they know.
#include <cstddef>
#include <cstdint>

struct LoadConfig64 {
  std::uint32_t size;
  std::uint32_t time_date_stamp;
  std::uint16_t major_version;
  std::uint16_t minor_version;
  std::uint32_t global_flags_clear;
  std::uint32_t global_flags_set;
  std::uint32_t critical_section_default_timeout;
  std::uint64_t decommit_free_block_threshold;
  std::uint64_t decommit_total_free_threshold;
  std::uint64_t lock_prefix_table;
  std::uint64_t maximum_allocation_size;
  std::uint64_t virtual_memory_threshold;
  std::uint64_t process_affinity_mask;
  std::uint32_t process_heap_flags;
  std::uint16_t csd_version;
  std::uint16_t dependent_load_flags;
  std::uint64_t edit_list;
  std::uint64_t security_cookie;
  std::uint64_t se_handler_table;
  std::uint64_t se_handler_count;
  std::uint64_t guard_cf_check_function_pointer;
  std::uint64_t guard_cf_dispatch_function_pointer;
  std::uint64_t guard_cf_function_table;
  std::uint64_t guard_cf_function_count;
  std::uint32_t guard_flags;
};
static_assert(offsetof(LoadConfig64, dependent_load_flags) == 78, "the field Windows reads");
// The size this layout has in Microsoft's linkers: up to the guard flags,
// without the padding the compiler adds after them.
constexpr std::uint32_t kRecordSize = offsetof(LoadConfig64, guard_flags) + sizeof(std::uint32_t);
static_assert(kRecordSize == 0x94, "the record up to the guard flags");

constexpr LoadConfig64 ProgramLoadConfig() {
  LoadConfig64 config{};
  config.size = kRecordSize;
  config.dependent_load_flags = 0x0800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  return config;
}

// The name the linker looks for; kept by the link (see src/CMakeLists.txt).
extern "C" const LoadConfig64 _load_config_used = ProgramLoadConfig();
