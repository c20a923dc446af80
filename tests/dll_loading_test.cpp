// The program started from a folder that others can write to: its header asks
// Windows for every hardening, it imports only DLLs that Windows never looks
// for beside it, and DLLs planted beside it and in its working folder are
// never loaded while it starts, takes a file, hashes it and shows a window.
// Its stack guard is seeded at each start and ends a smashed process.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <imagehlp.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "os/win32/system_library.h"
#include "test_files.h"
#include "under_wine.h"

namespace {

// The folder of this test executable, where the stand-in DLL is built.
std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring BuiltProgram() { return TestFolder() + L"\\..\\src\\Sumwick.exe"; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A PE image read from its file, with its addresses turned into offsets.
struct Image {
  std::string bytes;
  const IMAGE_NT_HEADERS64* headers = nullptr;

  template <typename T>
  const T* At(std::uint32_t rva) const {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
      if (rva < section->VirtualAddress || rva - section->VirtualAddress >= section->SizeOfRawData) continue;
      const std::uint64_t offset = section->PointerToRawData + (rva - section->VirtualAddress);
      return offset + sizeof(T) <= bytes.size() ? reinterpret_cast<const T*>(bytes.data() + offset) : nullptr;
    }
    return nullptr;
  }
};

bool ReadImage(const std::wstring& path, Image* image) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  image->bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (image->bytes.size() < sizeof(IMAGE_DOS_HEADER)) return false;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image->bytes.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
      static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > image->bytes.size())
    return false;
  image->headers = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image->bytes.data() + dos->e_lfanew);
  return image->headers->Signature == IMAGE_NT_SIGNATURE &&
         image->headers->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
}

// DLLs on Windows' KnownDLLs list from Windows 7 on, which it takes from
// System32 whatever lies beside the program, and the common controls, which
// the manifest takes from the side-by-side store.
const char* const kAllowedImports[] = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll",
                                       "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "shell32.dll", "shlwapi.dll",
                                       "user32.dll",   "comctl32.dll"};

TEST(ProgramImage, AsksForEveryHardeningAndImportsOnlyDllsNeverLookedForBesideIt) {
  Image image;
  ASSERT_TRUE(ReadImage(BuiltProgram(), &image));
  const IMAGE_OPTIONAL_HEADER64& optional = image.headers->OptionalHeader;
  EXPECT_TRUE(optional.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
  EXPECT_TRUE(optional.DllCharacteristics & 0x0020);  // IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA
  EXPECT_TRUE(optional.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);

  // The header's checksum, mended after the link, as Windows computes it.
  DWORD header_sum = 0, computed = 0;
  ASSERT_NE(CheckSumMappedFile(image.bytes.data(), static_cast<DWORD>(image.bytes.size()), &header_sum, &computed),
            nullptr);
  EXPECT_NE(header_sum, 0u);
  EXPECT_EQ(header_sum, computed);

  // The load configuration: its own size first, as Microsoft's linkers give
  // this layout (up to GuardFlags), DependentLoadFlags at 78.
  const IMAGE_DATA_DIRECTORY& config = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
  ASSERT_NE(config.VirtualAddress, 0u) << "no load configuration";
  const auto* config_size = image.At<DWORD>(config.VirtualAddress);
  ASSERT_NE(config_size, nullptr);
  EXPECT_EQ(config.Size, *config_size);
  EXPECT_EQ(*config_size, 0x94u);
  const auto* dependent_load_flags = image.At<WORD>(config.VirtualAddress + 78);
  ASSERT_NE(dependent_load_flags, nullptr);
  EXPECT_EQ(*dependent_load_flags, 0x0800);  // LOAD_LIBRARY_SEARCH_SYSTEM32

  const IMAGE_DATA_DIRECTORY& imports = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::string> names;
  for (std::uint32_t rva = imports.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* descriptor = image.At<IMAGE_IMPORT_DESCRIPTOR>(rva);
    ASSERT_NE(descriptor, nullptr);
    if (descriptor->Name == 0) break;
    const char* name = image.At<char>(descriptor->Name);
    ASSERT_NE(name, nullptr);
    names.push_back(Lower(name));
  }
  EXPECT_NE(std::find(names.begin(), names.end(), "kernel32.dll"), names.end());  // the table was read
  for (const std::string& name : names)
    EXPECT_NE(std::find(std::begin(kAllowedImports), std::end(kAllowedImports), name), std::end(kAllowedImports))
        << name << " would be looked for beside the program first";
}

// Run in a child process, whose search stays narrowed: no stand-in by name,
// though the one taken by its path exports the name looked for.
[[noreturn]] void LoadByNameOnceNarrowed(const std::wstring& stand_in) {
  os::KeepDllSearchInSystem32();
  if (LoadLibraryW(L"stand_in.dll")) {
    std::fprintf(stderr, "the stand-in was loaded by name\n");
    std::_Exit(1);
  }
  HMODULE by_path = LoadLibraryW(stand_in.c_str());
  const bool exported = by_path && GetProcAddress(by_path, "StandIn");
  std::_Exit(exported ? 0 : 2);
}

// The stand-in lies beside this test executable, where a search by name
// would look first.
TEST(SystemLibrary, NeverTakesADllFromTheProgramsFolder) {
  const std::wstring beside = TestFolder() + L"\\stand_in.dll", mark = beside + L".loaded";
  ASSERT_NE(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(mark.c_str());
  EXPECT_NE(os::SystemFunction<FARPROC>(L"kernel32.dll", "GetTickCount"), nullptr);
  EXPECT_EQ(os::SystemFunction<FARPROC>(L"stand_in.dll", "StandIn"), nullptr);
  EXPECT_EQ(GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES) << "the stand-in was loaded";
  EXPECT_EXIT(LoadByNameOnceNarrowed(beside), testing::ExitedWithCode(0), "");
  DeleteFileW(mark.c_str());
}

// A Windows 7 without the update that brought the search flags refuses them.
std::vector<std::pair<std::wstring, DWORD>> g_loads;
HMODULE WINAPI LoadWithoutSearchFlags(LPCWSTR name, HANDLE file, DWORD flags) {
  g_loads.emplace_back(name, flags);
  if (flags & 0xFF00) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryExW(name, file, flags);
}

TEST(SystemLibrary, WithoutTheSearchFlagsTheDllsOwnImportsAreLookedForInSystem32) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  g_loads.clear();
  EXPECT_NE(os::LoadFromSystem32(L"winmm.dll", LoadWithoutSearchFlags), nullptr);
  ASSERT_EQ(g_loads.size(), 2u);
  EXPECT_EQ(g_loads[1].first, std::wstring(system, length) + L"\\winmm.dll");
  EXPECT_EQ(g_loads[1].second, static_cast<DWORD>(LOAD_WITH_ALTERED_SEARCH_PATH))
      << "beside the program first, before System32";
}

#ifdef __MINGW32__
struct ProbeRun {
  DWORD exit_code = STILL_ACTIVE;
  std::string output;
};

// stack_guard_probe.exe, built beside the tests with the program's own
// stack guard, started with `mode`.
ProbeRun RunStackGuardProbe(const wchar_t* mode) {
  ProbeRun run;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, 0)) return run;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  const std::wstring probe = TestFolder() + L"\\stack_guard_probe.exe";
  std::wstring command = L"\"" + probe + L"\" " + mode;
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process) != FALSE;
  CloseHandle(write);
  if (started) {
    // One that has not ended by then (under Wine: waiting on its crash dialog) is ended as still running.
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, STILL_ACTIVE);
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    char bytes[256];
    DWORD available = 0, count = 0;
    while (PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(read, bytes, sizeof bytes, &count, nullptr) && count > 0)
      run.output.append(bytes, count);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(read);
  return run;
}

TEST(StackGuard, IsSeededAnewAtEachStartAndNeverZero) {
  const ProbeRun first = RunStackGuardProbe(L"guard"), second = RunStackGuardProbe(L"guard");
  ASSERT_EQ(first.exit_code, 0u);
  ASSERT_EQ(second.exit_code, 0u);
  EXPECT_NE(std::strtoull(first.output.c_str(), nullptr, 16), 0u) << first.output;
  EXPECT_NE(first.output, second.output);
}

// At once, with the status Windows gives a stack buffer overrun.
TEST(StackGuard, EndsAProcessWhoseStackWasWrittenPastABuffer) {
  EXPECT_EQ(RunStackGuardProbe(L"smash").exit_code, static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
}
#endif

// Every DLL that the program, the common controls, the file requester or the
// accessibility calls load by name, apart from those Windows never takes
// from elsewhere than System32 (kernel32, ntdll and their kind) or that load
// the stand-in's own imports.
const wchar_t* const kPlanted[] = {L"winmm.dll",   L"oleacc.dll",   L"uxtheme.dll",  L"msimg32.dll",
                                   L"version.dll", L"comctl32.dll", L"shcore.dll",   L"winspool.drv",
                                   L"compstui.dll", L"rsaenh.dll",  L"crypt32.dll",  L"bcrypt.dll",
                                   L"msacm32.dll", L"dwmapi.dll",   L"propsys.dll"};

// Wine's own DLLs import these, so Wine looks for them beside the program
// and loads them before its first instruction, whatever it is told, and a
// planted one stops the program from starting. Windows' DLLs do not import
// them, or take them from its KnownDLLs. Under Wine they are not planted.
bool LoadedByWineItself(const std::wstring& name) {
  return RunningUnderWine() && (name == L"version.dll" || name == L"shcore.dll" || name == L"winspool.drv" ||
                                name == L"compstui.dll" || name == L"uxtheme.dll");
}

std::vector<std::wstring> PlantedNames() {
  std::vector<std::wstring> names;
  for (const wchar_t* name : kPlanted)
    if (!LoadedByWineItself(name)) names.push_back(name);
  return names;
}

// Wine told to prefer the planted DLLs for the program, as Windows' search
// would take one found beside it before System32's: the per-program
// overrides in Wine's registry, which a process started from inside Wine
// reads (it does not see this one's WINEDLLOVERRIDES). Elsewhere the key is
// read by no one. Removed again when it goes.
struct PreferPlantedDlls {
  static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\Sumwick.exe";
  explicit PreferPlantedDlls(const std::vector<std::wstring>& planted) {
    HKEY overrides = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\DllOverrides").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &overrides, nullptr) != ERROR_SUCCESS)
      return;
    const wchar_t kOrder[] = L"native,builtin";
    for (const std::wstring& name : planted) {
      const std::wstring module = name.size() > 4 && name.compare(name.size() - 4, 4, L".dll") == 0
                                      ? name.substr(0, name.size() - 4)
                                      : name;
      set = RegSetValueExW(overrides, module.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                           sizeof(kOrder)) == ERROR_SUCCESS;
      if (!set) break;
    }
    RegCloseKey(overrides);
  }
  ~PreferPlantedDlls() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  bool set = false;
};

struct Found {
  DWORD process;
  const wchar_t* window_class;
  const wchar_t* title;  // nullptr: the one `owner` owns (the main window: none)
  HWND owner;
  HWND window;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = L"", title[64] = L"";
  GetClassNameW(window, name, 64);
  GetWindowTextW(window, title, 64);
  if (process != found->process || !IsWindowVisible(window) || wcscmp(name, found->window_class) != 0) return TRUE;
  if (found->title ? wcscmp(title, found->title) != 0 : GetWindow(window, GW_OWNER) != found->owner) return TRUE;
  found->window = window;
  return FALSE;
}

HWND WaitForWindow(DWORD process, const wchar_t* window_class, const wchar_t* title, HWND owner = nullptr) {
  for (int i = 0; i < 300; ++i) {
    Found found{process, window_class, title, owner, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&found));
    if (found.window) return found.window;
    Sleep(100);
  }
  return nullptr;
}

BOOL CALLBACK MatchVisibleEdit(HWND control, LPARAM data) {
  wchar_t name[16] = L"";
  GetClassNameW(control, name, 16);
  if (wcscmp(name, L"Edit") != 0 || !IsWindowVisible(control)) return TRUE;
  *reinterpret_cast<HWND*>(data) = control;
  return FALSE;
}

BOOL CALLBACK AskForObject(HWND control, LPARAM) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(control, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT), SMTO_ABORTIFHUNG, 5000, &answer);
  return TRUE;
}

// As a user would: the file requester answered with `file`, a run over it
// to its end (the pause between chunks), About with a screen reader asking
// each of its controls, then the close box. Each step reports on failure.
void UseTheProgram(const PROCESS_INFORMATION& process, const std::wstring& file) {
  const DWORD id = process.dwProcessId;
  HWND main = WaitForWindow(id, L"SumwickWindow", nullptr);
  ASSERT_NE(main, nullptr) << "the program did not start";
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuAddFile, 0), 0);
  HWND requester = WaitForWindow(id, L"#32770", nullptr, main);  // the dialog, in any language
  ASSERT_NE(requester, nullptr) << "no file requester";
  HWND box = nullptr;  // the file name, at whatever depth the requester keeps it
  EnumChildWindows(requester, MatchVisibleEdit, reinterpret_cast<LPARAM>(&box));
  ASSERT_NE(box, nullptr);
  Sleep(300);  // let it finish its own set-up
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  PostMessageW(requester, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  HWND list = FindWindowExW(main, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < 300 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != 1; ++i) Sleep(100);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1) << "the file was not listed";

  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuStart, 0), 0);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuAbout, 0), 0);
  HWND about = WaitForWindow(id, L"SumwickWindow", L"About");
  ASSERT_NE(about, nullptr) << "no About window";
  // Start is enabled again once the run, begun before About opened, ends.
  HWND toolbar = FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
  ASSERT_NE(toolbar, nullptr);
  bool ended = false;
  for (int i = 0; i < 300 && !ended; ++i, Sleep(100))
    ended = SendMessageW(toolbar, TB_ISBUTTONENABLED, kMenuStart, 0) != 0;
  EXPECT_TRUE(ended) << "the run did not end";
  EnumChildWindows(about, AskForObject, 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
}

TEST(PlantedDlls, AreNeverLoaded) {
  ScratchFolder scratch;
  const std::wstring program_folder = scratch.PathOf(L"program"), work_folder = scratch.PathOf(L"work");
  ASSERT_TRUE(CreateDirectoryW(program_folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(work_folder.c_str(), nullptr));
  const std::wstring program = program_folder + L"\\Sumwick.exe";
  ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), program.c_str(), TRUE));
  const std::wstring stand_in = TestFolder() + L"\\stand_in.dll";
  const std::vector<std::wstring> planted = PlantedNames();
  for (const std::wstring& name : planted) {
    ASSERT_TRUE(CopyFileW(stand_in.c_str(), (program_folder + L"\\" + name).c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(stand_in.c_str(), (work_folder + L"\\" + name).c_str(), TRUE));
  }
  const std::wstring data = scratch.Write(L"work\\data.bin", PatternBytes(100000));

  PreferPlantedDlls preferred(planted);
  ASSERT_TRUE(preferred.set);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + program + L"\"";
  const bool started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      work_folder.c_str(), &startup, &process) != FALSE;
  ASSERT_TRUE(started);

  UseTheProgram(process, data);
  DWORD exit_code = 259;
  if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &exit_code);
  else TerminateProcess(process.hProcess, 99);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(exit_code, 0u);

  std::wstring loaded;
  for (const std::wstring& folder : {program_folder, work_folder}) {
    for (const std::wstring& name : planted) {
      const bool marked = GetFileAttributesW((folder + L"\\" + name + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
      if (marked) loaded += folder + L"\\" + name + L"\n";
    }
  }
  EXPECT_EQ(loaded, L"") << "planted DLLs were loaded";
}

}  // namespace
