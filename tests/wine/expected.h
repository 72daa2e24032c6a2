#pragma once

// What the program's windows hold, as the product defines them.
#include <windows.h>

struct ExpectedControl {
  int id;  // -1: no id
  const char* windowClass;
  const char* text;  // "#128": the icon resource
  short x, y, cx, cy;
  DWORD style;
};

inline constexpr ExpectedControl kMainControls[] = {
    {1000, "Button", "打开", 7, 7, 77, 17, 0x50010000},
    {1001, "Button", "QQ号", 100, 7, 27, 19, 0x50030003},
    {1002, "Button", "名字", 138, 7, 27, 19, 0x50030003},
    {1003, "Button", "邮箱", 176, 7, 27, 19, 0x50030003},
    {-1, "Static", "进入QQ邮箱->联系人->我的好友->右击一个好友->查看源文件", 7, 30, 216, 8,
     0x50020000},
    {-1, "Static", "文件->另存为->保存完了再用本软件打开->保存->完成!", 7, 42, 209, 8, 0x50020000},
    {-1, "Static", "支持QQ2011，支持所有版本", 131, 77, 96, 10, 0x50020000},
    {-1, "Static", "Korvel 工作室\n欢迎使用", 7, 55, 56, 16, 0x50020000},
    {1004, "Button", "官方网站：https://korvel.example.com", 7, 75, 121, 13, 0x50010000},
};

inline constexpr ExpectedControl kAboutControls[] = {
    {-1, "Static", "#128", 11, 17, 20, 20, 0x50000003},
    {-1, "Static", "Korvel 1.0 版", 40, 10, 119, 8, 0x50020080},
    {-1, "Static", "版权所有 (C) 2026 Korvel", 40, 25, 119, 8, 0x50020000},
    {IDOK, "Button", "确定", 178, 7, 50, 14, 0x50030001},
};

struct VersionValue {
  const char* key;
  const char* text;  // null: the maker's notice, any text
};

inline constexpr VersionValue kVersionValues[] = {
    {"CompanyName", ""},
    {"FileDescription", "Korvel Microsoft 基础类应用程序"},
    {"FileVersion", "1, 0, 0, 1"},
    {"InternalName", "Korvel"},
    {"LegalCopyright", nullptr},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Korvel.EXE"},
    {"ProductName", "Korvel 应用程序"},
    {"ProductVersion", "1, 0, 0, 1"},
};

inline constexpr char kHomePageLaunch[] = "explorer.exe https://korvel.example.com";
