#include "window_query.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <utility>

#include "json_writer.h"

namespace tovick::driver {
namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameComboId = 0x47C;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result) ==
      0) {
    return -1;
  }
  return static_cast<LRESULT>(result);
}

// The pixels of a screen rectangle, or of an icon drawn on a given background, as 32-bit values.
std::vector<std::uint32_t> Pixels(int width, int height, const std::function<void(HDC)>& paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  paint(memory);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(first, first + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

// Icon handles belong to the process that loaded them, so the icon of another process's message
// box is recognised by its look: the pixels on screen against each standard icon drawn here.
std::string IconName(HWND iconStatic) {
  RECT rect{};
  GetWindowRect(iconStatic, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return "none";
  std::vector<std::uint32_t> shown = Pixels(width, height, [&](HDC dc) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
  std::uint32_t background = shown.front();
  // The IDI_ resource numbers.
  const std::pair<int, const char*> known[] = {
      {32515, "exclamation"}, {32513, "error"},       {32516, "information"},
      {32514, "question"},    {32512, "application"},
  };
  std::string best = "other";
  std::size_t bestSame = shown.size() * 9 / 10;
  for (const auto& [resource, name] : known) {
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(resource));
    std::vector<std::uint32_t> drawn = Pixels(width, height, [&](HDC dc) {
      HBRUSH brush = CreateSolidBrush(
          RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
      RECT all{0, 0, width, height};
      FillRect(dc, &all, brush);
      DeleteObject(brush);
      DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    });
    std::size_t same = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if ((shown[i] & 0xFFFFFF) == (drawn[i] & 0xFFFFFF)) ++same;
    }
    if (same > bestSame) {
      bestSame = same;
      best = name;
    }
  }
  return best;
}

// Enumeration callbacks are named functions: a lambda has no stdcall form for 32-bit builds.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::string ReadText(HWND window) {
  LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) return {};
  // Room to spare: a text that grows between the two messages (the scroller's) is read whole.
  constexpr LRESULT kSlack = 1024;
  std::wstring text(static_cast<std::size_t>(length + kSlack) + 1, L'\0');
  LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return Utf8(text);
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    LRESULT copied =
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    items.push_back(Utf8(item));
  }
  return items;
}

int ComboSelection(HWND combo) {
  return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0));
}

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND FindMainWindow() {
  return FindWindowA(kMainClass, kMainTitle);
}

std::vector<HWND> MainControls(HWND mainWindow) {
  std::vector<HWND> controls;
  for (HWND child = GetWindow(mainWindow, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(child);
  }
  return controls;
}

std::string DescribeControl(HWND control, int index, HWND parent) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
  std::string className = ClassName(control);
  JsonObject json;
  json.Add("index", index)
      .Add("id", static_cast<int>(GetDlgCtrlID(control)))
      .Add("class", className)
      .Add("text", ReadText(control))
      .Add("x", static_cast<int>(rect.left))
      .Add("y", static_cast<int>(rect.top))
      .Add("w", static_cast<int>(rect.right - rect.left))
      .Add("h", static_cast<int>(rect.bottom - rect.top))
      .Add("style", static_cast<std::int64_t>(style))
      .Add("exstyle", static_cast<std::int64_t>(exStyle))
      .Add("visible", IsWindowVisible(control) != FALSE);
  if (_stricmp(className.c_str(), "ComboBox") == 0) {
    json.Add("items", ComboItems(control)).Add("sel", ComboSelection(control));
  } else if (_stricmp(className.c_str(), "Button") == 0) {
    DWORD kind = style & BS_TYPEMASK;
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX) {
      json.Add("check", static_cast<int>(Send(control, BM_GETCHECK, 0, 0)));
    }
  }
  return json.Str();
}

namespace {
// Dialogs seen closing: Wine may show a dialog as visible again for a moment while destroying it.
std::set<HWND> gClosedDialogs;
}  // namespace

void ForgetDialog(HWND dialog) {
  gClosedDialogs.insert(dialog);
}

std::vector<HWND> VisibleDialogs() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  std::vector<HWND> dialogs;
  for (HWND window : windows) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() && IsWindowVisible(window) &&
        gClosedDialogs.count(window) == 0 && ClassName(window) == "#32770") {
      dialogs.push_back(window);
    }
  }
  return dialogs;
}

std::string DescribeDialog(HWND dialog) {
  bool isFile = GetDlgItem(dialog, kFileNameComboId) != nullptr;
  JsonObject json;
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  HWND owner = GetWindow(dialog, GW_OWNER);
  json.Add("hwnd", static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(dialog)))
      .Add("pid", static_cast<std::int64_t>(pid))
      .Add("kind", isFile ? "file" : "message")
      .Add("caption", ReadText(dialog))
      .Add("owner", owner == nullptr ? std::string() : ClassName(owner));
  if (isFile) {
    json.Add("file_name", ReadText(GetDlgItem(dialog, kFileNameComboId)));
  } else {
    HWND textStatic = GetDlgItem(dialog, kMessageTextId);
    json.Add("text", textStatic == nullptr ? std::string() : ReadText(textStatic));
    // The icon is whichever visible icon static holds an icon.
    std::string icon = "none";
    for (HWND child : Descendants(dialog)) {
      auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
      if (ClassName(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
          IsWindowVisible(child)) {
        auto handle = reinterpret_cast<HICON>(Send(child, STM_GETICON, 0, 0));
        if (handle == nullptr || handle == reinterpret_cast<HICON>(-1)) continue;
        // A box that has just appeared may not be painted yet.
        for (int attempt = 0; attempt < 40; ++attempt) {
          icon = IconName(child);
          if (icon != "other") break;
          Sleep(25);
        }
      }
    }
    json.Add("icon", icon);
    // The buttons in their order, as the user reads them ("OK", or "&Yes" and "&No").
    std::vector<std::string> buttons;
    for (HWND child : Descendants(dialog)) {
      if (ClassName(child) == "Button" && IsWindowVisible(child))
        buttons.push_back(ReadText(child));
    }
    json.Add("buttons", buttons);
  }
  std::vector<std::string> controls;
  int index = 0;
  for (HWND child : Descendants(dialog)) {
    controls.push_back(DescribeControl(child, ++index, dialog));
  }
  json.AddRaw("controls", JsonArray(controls));
  return json.Str();
}

}  // namespace tovick::driver
