#pragma once

// Every text the program shows, UTF-8. In file messages "%1" stands for the file's full path.
namespace messages {

inline constexpr char kNoFieldWarning[] = "你让我导出你呀！";
inline constexpr char kExportDone[] = "你已成功导出";
inline constexpr char kExportDoneCaption[] = "恭喜！";
inline constexpr char kOutOfMemory[] = "内存不足。";
inline constexpr char kHelpFailed[] = "启动帮助失败。";
// Any other failure that escapes a command of the window program.
inline constexpr char kUnexpectedError[] = "发生了一个意外的错误。";

inline constexpr char kFileNotFound[] = "没有找到 %1。";
inline constexpr char kBadPath[] = "%1 中包含无效的路径。";
inline constexpr char kAccessDenied[] = "对 %1 的存取被拒绝。";
inline constexpr char kSharingViolation[] = "在存取 %1 时发生共享违例。";
inline constexpr char kGenericFileError[] = "在对 %1 进行访问时发生了一个不明错误。";
inline constexpr char kCannotCreate[] = "无法创建 %1。";
inline constexpr char kDiskFull[] = "磁盘已满，无法写完 %1。";
inline constexpr char kWriteFailed[] = "写入 %1 时发生错误。";

// File-chooser filter: the catch-all entry that follows the file type's own.
inline constexpr char kAllFilesLabel[] = "All Files(*.*)";
inline constexpr char kAllFilesPattern[] = "*.*";
// The file type of both choosers.
inline constexpr char kTextFileDescription[] = "文本文档";
inline constexpr char kTextFileExtension[] = "txt";

}  // namespace messages
