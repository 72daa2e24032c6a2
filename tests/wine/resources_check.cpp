#include "resources_check.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "expected.h"
#include "harness.h"

using namespace harness;

namespace {

// Reads a dialog template (classic or extended) out of its resource bytes.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}
  WORD Word() {
    WORD value;
    std::memcpy(&value, at_, 2);
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    DWORD value;
    std::memcpy(&value, at_, 4);
    at_ += 4;
    return value;
  }
  BYTE Byte() { return *at_++; }
  short Short() { return static_cast<short>(Word()); }
  std::wstring String() {
    std::wstring text;
    for (WORD c; (c = Word()) != 0;) text += static_cast<wchar_t>(c);
    return text;
  }
  // A name or an ordinal: ordinals come back as "#number".
  std::wstring NameOrOrdinal() {
    WORD first;
    std::memcpy(&first, at_, 2);
    if (first == 0xFFFF) {
      Word();
      return L"#" + std::to_wstring(Word());
    }
    return String();
  }
  void AlignDword() {
    while ((at_ - base_) % 4 != 0) ++at_;
  }
  void Skip(std::size_t bytes) { at_ += bytes; }

 private:
  const BYTE* base_;
  const BYTE* at_;
};

struct TemplateItem {
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::wstring windowClass, text;
};

struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring menu, windowClass, title, font;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::vector<TemplateItem> items;
};

std::wstring ClassName(const std::wstring& nameOrOrdinal) {
  if (nameOrOrdinal == L"#128") return L"Button";
  if (nameOrOrdinal == L"#130") return L"Static";
  return nameOrOrdinal;
}

DialogTemplate ReadTemplate(const BYTE* data) {
  TemplateReader in(data);
  DialogTemplate t;
  WORD count = 0;
  if (reinterpret_cast<const WORD*>(data)[1] == 0xFFFF) {
    t.extended = true;
    in.Word();  // version
    in.Word();  // signature
    t.helpId = in.Dword();
    t.exStyle = in.Dword();
    t.style = in.Dword();
  } else {
    t.style = in.Dword();
    t.exStyle = in.Dword();
  }
  count = in.Word();
  t.x = in.Short();
  t.y = in.Short();
  t.cx = in.Short();
  t.cy = in.Short();
  t.menu = in.NameOrOrdinal();
  t.windowClass = in.NameOrOrdinal();
  t.title = in.String();
  if ((t.style & DS_SETFONT) != 0) {
    t.pointSize = in.Word();
    if (t.extended) {
      t.weight = in.Word();
      t.italic = in.Byte();
      t.charset = in.Byte();
    }
    t.font = in.String();
  }
  for (WORD i = 0; i < count; ++i) {
    in.AlignDword();
    TemplateItem item;
    if (t.extended) {
      item.helpId = in.Dword();
      item.exStyle = in.Dword();
      item.style = in.Dword();
    } else {
      item.style = in.Dword();
      item.exStyle = in.Dword();
    }
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = t.extended ? in.Dword() : in.Word();
    item.windowClass = ClassName(in.NameOrOrdinal());
    item.text = in.NameOrOrdinal();
    in.Skip(in.Word());
    t.items.push_back(item);
  }
  return t;
}

const BYTE* Resource(HMODULE module, const wchar_t* type, UINT id, DWORD* size = nullptr) {
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return nullptr;
  if (size != nullptr) *size = SizeofResource(module, found);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

void CheckItems(const DialogTemplate& t, const ExpectedControl* wants, std::size_t count,
                DWORD expectedId(const ExpectedControl&), const std::string& dialog) {
  CheckEqual(t.items.size(), count, dialog + " control count");
  for (std::size_t i = 0; i < t.items.size() && i < count; ++i) {
    const TemplateItem& item = t.items[i];
    const ExpectedControl& want = wants[i];
    const std::string what = dialog + " control " + std::to_string(i + 1);
    CheckEqual(item.id, expectedId(want), what + " id");
    Check(lstrcmpiW(item.windowClass.c_str(), W(want.windowClass).c_str()) == 0,
          what + " class " + U(item.windowClass));
    CheckText(item.text, want.text, what + " text");
    CheckEqual(Hex(item.style), Hex(want.style), what + " style");
    CheckEqual(item.exStyle, 0ul, what + " extended style");
    CheckEqual(item.helpId, 0ul, what + " help id");
    CheckEqual(item.x, want.x, what + " x");
    CheckEqual(item.y, want.y, what + " y");
    CheckEqual(item.cx, want.cx, what + " width");
    CheckEqual(item.cy, want.cy, what + " height");
  }
}

void CheckDialogTemplates(HMODULE module) {
  const BYTE* mainData = Resource(module, RT_DIALOG, 102);
  Check(mainData != nullptr, "dialog template 102 is missing");
  if (mainData != nullptr) {
    const DialogTemplate t = ReadTemplate(mainData);
    Check(t.extended, "template 102 is an extended template");
    CheckText(t.title, "FrindelV2.1", "template 102 caption");
    CheckEqual(Hex(t.style), "0x90CA00C0", "template 102 style");
    CheckEqual(Hex(t.exStyle), "0x40000", "template 102 extended style");
    CheckEqual(t.helpId, 0ul, "template 102 help id");
    CheckEqual(t.x, 0, "template 102 x");
    CheckEqual(t.y, 0, "template 102 y");
    CheckEqual(t.cx, 236, "template 102 width");
    CheckEqual(t.cy, 98, "template 102 height");
    Check(t.menu.empty() && t.windowClass.empty(), "template 102 has no menu and no class");
    CheckEqual(t.pointSize, 9, "template 102 font size");
    CheckText(t.font, "宋体", "template 102 font");
    CheckEqual(t.weight, 0, "template 102 font weight");
    CheckEqual(int{t.italic}, 0, "template 102 italic");
    CheckEqual(int{t.charset}, 1, "template 102 character set");
    CheckItems(
        t, kMainControls, std::size(kMainControls),
        [](const ExpectedControl& s) { return static_cast<DWORD>(s.id); }, "template 102");
  }

  const BYTE* aboutData = Resource(module, RT_DIALOG, 100);
  Check(aboutData != nullptr, "dialog template 100 is missing");
  if (aboutData != nullptr) {
    const DialogTemplate t = ReadTemplate(aboutData);
    Check(!t.extended, "template 100 is a classic template");
    CheckText(t.title, "关于 Korvel", "template 100 caption");
    CheckEqual(Hex(t.style), "0x80C800C0", "template 100 style");
    CheckEqual(t.exStyle, 0ul, "template 100 extended style");
    CheckEqual(t.cx, 235, "template 100 width");
    CheckEqual(t.cy, 55, "template 100 height");
    CheckEqual(t.x + t.y, 0, "template 100 position");
    CheckEqual(t.pointSize, 9, "template 100 font size");
    CheckText(t.font, "宋体", "template 100 font");
    CheckItems(
        t, kAboutControls, std::size(kAboutControls),
        [](const ExpectedControl& s) { return static_cast<DWORD>(static_cast<WORD>(s.id)); },
        "template 100");
  }
}

void CheckStringAndIcon(HMODULE module) {
  wchar_t label[256] = {};
  LoadStringW(module, 101, label, 256);
  CheckText(label, "关于 Korvel(&A)...", "string 101");

  const BYTE* group = Resource(module, RT_GROUP_ICON, 128);
  Check(group != nullptr, "icon 128 is missing");
  if (group == nullptr) return;
  TemplateReader in(group);
  in.Word();
  CheckEqual(in.Word(), 1, "icon 128 type");
  const WORD count = in.Word();
  CheckEqual(count, 2, "icon 128 image count");
  std::vector<WORD> bitCounts;
  for (WORD i = 0; i < count; ++i) {
    const BYTE width = in.Byte();
    const BYTE height = in.Byte();
    in.Skip(4);  // colours, reserved, planes
    bitCounts.push_back(in.Word());
    in.Skip(6);  // size, id
    Check(width == 32 && height == 32, "icon 128 image " + std::to_string(i) + " is 32x32");
  }
  Check(bitCounts == std::vector<WORD>{8, 32}, "icon 128 has a 256-colour and a 32-bit image");
}

void CheckVersion(const std::wstring& exePath) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exePath.c_str(), &ignored);
  std::vector<BYTE> block(size);
  Check(size > 0 && GetFileVersionInfoW(exePath.c_str(), 0, size, block.data()),
        "version resource readable");
  if (size == 0) return;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
  Check(fixed != nullptr, "version fixed part");
  if (fixed != nullptr) {
    CheckEqual(Hex(fixed->dwFileVersionMS), "0x10000", "file version (high)");
    CheckEqual(Hex(fixed->dwFileVersionLS), "0x1", "file version (low)");
    CheckEqual(Hex(fixed->dwProductVersionMS), "0x10000", "product version (high)");
    CheckEqual(Hex(fixed->dwProductVersionLS), "0x1", "product version (low)");
    CheckEqual(Hex(fixed->dwFileFlagsMask), "0x3F", "file flags mask");
    CheckEqual(fixed->dwFileFlags, 0ul, "file flags");
    CheckEqual(Hex(fixed->dwFileOS), "0x4", "file OS");
    CheckEqual(fixed->dwFileType, 1ul, "file type");
    CheckEqual(fixed->dwFileSubtype, 0ul, "file subtype");
    CheckEqual(fixed->dwFileDateMS + fixed->dwFileDateLS, 0ul, "file date");
  }

  WORD* translation = nullptr;
  VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                 reinterpret_cast<void**>(&translation), &length);
  Check(
      translation != nullptr && length == 4 && translation[0] == 0x0804 && translation[1] == 0x04B0,
      "version translation 0x0804, 0x04B0");

  // The keys in their order, with their values.
  const std::wstring raw(reinterpret_cast<const wchar_t*>(block.data()), size / 2);
  std::size_t previous = raw.find(L"080404B0");
  Check(previous != std::wstring::npos, "version string block 080404B0");
  for (const VersionValue& value : kVersionValues) {
    const std::wstring key = W(value.key);
    wchar_t* text = nullptr;
    const std::wstring query = L"\\StringFileInfo\\080404B0\\" + key;
    const bool found =
        VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length);
    if (value.text != nullptr) {
      Check(found, "version key " + std::string(value.key));
      if (found) CheckText(std::wstring(text, wcsnlen(text, length)), value.text, value.key);
    }
    const std::size_t at = raw.find(key + L'\0', previous);
    Check(at != std::wstring::npos, std::string("version key in order: ") + value.key);
    if (at != std::wstring::npos) previous = at;
  }
}

void CheckManifest(HMODULE module) {
  DWORD size = 0;
  const BYTE* data = Resource(module, RT_MANIFEST, 1, &size);
  Check(data != nullptr, "application manifest");
  if (data == nullptr) return;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "dpiAware",
                           "supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\""}) {
    Check(text.find(part) != std::string::npos, std::string("manifest holds ") + part);
  }
}

}  // namespace

void CheckResources(const std::wstring& exePath) {
  const HMODULE module = LoadLibraryExW(exePath.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Check(module != nullptr, "program file loads as resources");
  if (module == nullptr) return;
  CheckDialogTemplates(module);
  CheckStringAndIcon(module);
  CheckManifest(module);
  FreeLibrary(module);
  CheckVersion(exePath);
}
