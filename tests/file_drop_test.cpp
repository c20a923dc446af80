// Files dropped on a window.
#include "ui_fixture.h"

namespace {

TEST(FileDrop, PathsOfAListOfFilesComeInTheirOrder) {
  const std::vector<std::wstring> names{L"C:\\data\\one.bin", L"C:\\\u00e9t\u00e9\\two"};
  HGLOBAL memory = MakeFileList(names);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(DroppedPaths(static_cast<HDROP>(memory)), names);
  GlobalFree(memory);
}

// The window's registered drop target, as OLE calls it during a drag.
TEST_F(UiTest, FilesDroppedOnTheWindowBecomeOneDropEventAndTextIsRefused) {
  HWND main = WindowHandle(kTestWindow);
  ASSERT_TRUE(EnableFileDrop(kTestWindow));
  auto* target = static_cast<IDropTarget*>(GetPropW(main, L"OleDropTargetInterface"));
  ASSERT_NE(target, nullptr);
  POINTL at{100, 100};
  // It is what it says: a drop target, and nothing else.
  void* asked = nullptr;
  ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &asked), S_OK);
  EXPECT_EQ(asked, target);
  static_cast<IDropTarget*>(asked)->Release();
  EXPECT_EQ(target->QueryInterface(IID_IDataObject, &asked), E_NOINTERFACE);
  EXPECT_EQ(asked, nullptr);

  IDataObject* text = MakeTextDataObject(L"just text");
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(text, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->Drop(text, 0, at, &effect);
  text->Release();
  EXPECT_TRUE(ServeFor(50).empty());

  const std::vector<std::wstring> paths{L"C:\\first file.txt", L"C:\\folder", L"D:\\\u00fcber.bin"};
  IDataObject* files = MakeFileDataObject(paths);
  effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(target->DragEnter(files, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "move drops are accepted too";
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->Drop(files, 0, at, &effect), S_OK);
  files->Release();
  std::vector<SeenEvent> seen = ServeFor(50);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (SeenEvent{kEventDrop, kTestWindow, -1, -1, 0, paths}));
}

}  // namespace
