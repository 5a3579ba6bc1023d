#pragma once
// Every text of the interface: the English design-time texts, the Chinese
// texts that replace them at start-up, the hints, and the program's fixed
// strings (name, addresses, settings keys, default copyright line). UTF-8.

#include <string>

namespace vellinor {

inline constexpr const char* kProgramName = "Vellinor";
inline constexpr const char* kHomePage = "https://github.com/vellinor/vellinor";
inline constexpr const char* kEMail = "vellinor@users.noreply.github.com";
inline constexpr const char* kVersionLine = "(Ver 2.0)";
// The window caption while a folder is browsed: this, then the folder.
inline constexpr const char* kCaptionPrefix = "Vellinor - ";

// The settings file.
inline constexpr const char* kSettingsSection = "Copyright Form";
inline constexpr const char* kKeyLeft = "Left";
inline constexpr const char* kKeyTop = "Top";
inline constexpr const char* kKeyWidth = "Width";
inline constexpr const char* kKeyHeight = "Height";
inline constexpr const char* kKeyWindowState = "Window State";
inline constexpr const char* kKeyCopyright = "Copyright";
inline constexpr const char* kDefaultCopyright = "Copyright \u00A9 2010, Osterlind";

// Texts of the main window as designed (English).
namespace design {
inline constexpr const char* kSourceGroup = "Source";
inline constexpr const char* kCopyrightLabel = "Copyright";
inline constexpr const char* kCopyrightHint = "Edit Copyright EXIF";
inline constexpr const char* kCopyrightGroup = "Copyright";
inline constexpr const char* kAddCopyright = "Add Copyright";
inline constexpr const char* kGeneralOptions = "General Options";
inline constexpr const char* kAddFrame = "Add frame around the image";
inline constexpr const char* kCopyrightInMargin = "Place copyright in the margin";
inline constexpr const char* kObjectOptions = "Object Options";
inline constexpr const char* kSelectGroup = "Select";
inline constexpr const char* kSelectItems[3] = {"Zoom", "Auto Fit", "Text"};
inline constexpr const char* kTextColor = "Text Color";
inline constexpr const char* kUseObjects = "Use Objects";
inline constexpr const char* kAddSoftShadow = "Add soft shadow";
inline constexpr const char* kAntialiasText = "Antialias Text";
inline constexpr const char* kNoteLines[3] = {
    "A frame adds 80 pixels on every side",
    "of the image: it becomes 160 pixels",
    "wider and 160 pixels higher.",
};
inline constexpr const char* kMerge = "Merge";
inline constexpr const char* kSaveAs = "SaveAs...";
inline constexpr const char* kSaveAsHint = "make sure to the merger ";
inline constexpr const char* kClose = "Close";
inline constexpr const char* kAbout = "About";
inline constexpr const char* kHomePageButton = "HomePage";
inline constexpr const char* kNote1 =
    "Note:(1) Add copyright information, you can use the mouse to "
    "drag and drop to change the location.";
inline constexpr const char* kNote2 =
    "(2) Also can use the mouse to change the size of the frame and font.";

// Hints that keep their design-time text.
inline constexpr const char* kCloseHint = "Close";
inline constexpr const char* kSelectHint = "View";
inline constexpr const char* kUseObjectsHint = "Use Objects or GDI Drawing";
inline constexpr const char* kAntialiasHint = "Antialias Text";
inline constexpr const char* kMergeHint = "Merge";

// The About box as designed.
inline constexpr const char* kAboutCaption = "About";
inline constexpr const char* kAboutHomePage = "HomePage:";
inline constexpr const char* kAboutEMail = "EMail:";
inline constexpr const char* kAboutEnglish = "Add text and frames to a photo";
inline constexpr const char* kAboutClose = "Close";
} // namespace design

// The texts shown at run time (the caption table, in its order).
namespace texts {
inline constexpr const char* kSourceGroup = "源图片";
inline constexpr const char* kCopyrightLabel = "版权";
inline constexpr const char* kCopyrightHint = "编辑版权信息";
inline constexpr const char* kCopyrightGroup = "版权";
inline constexpr const char* kAddCopyright = "添加版权";
inline constexpr const char* kGeneralOptions = "常规参数";
inline constexpr const char* kAddFrame = "给图像加框";
inline constexpr const char* kCopyrightInMargin = "版权信息加在图像下方空白处";
inline constexpr const char* kObjectOptions = "目标参数";
inline constexpr const char* kSelectGroup = "选择";
inline constexpr const char* kSelectItems[3] = {"放大", "自动匹配", "文本"};
inline constexpr const char* kTextColor = "文本颜色";
inline constexpr const char* kUseObjects = "使用对象";
inline constexpr const char* kAddSoftShadow = "添加软阴影";
inline constexpr const char* kAntialiasText = "平滑文本";
inline constexpr const char* kNoteLine = "加框后图像四边各加宽80像素,宽和高各增加160像素。";
inline constexpr const char* kMerge = "合并";
inline constexpr const char* kSaveAs = "另存为";
inline constexpr const char* kSaveAsHint = "另存前,请确认进行了合并,否则不会保存标记内容.";
inline constexpr const char* kClose = "关闭";
inline constexpr const char* kAbout = "关于";
inline constexpr const char* kHomePageButton = "主页";
inline constexpr const char* kNote1 = "注意:(1)添加版权信息后,可以使用鼠标拖放来改变位置。";
inline constexpr const char* kNote2 = "(2)还可以使用鼠标来改变框架和字体大小。";

// The About box.
inline constexpr const char* kAboutCaption = "关于";
inline constexpr const char* kAboutHomePage = "主页:";
inline constexpr const char* kAboutEMail = "邮箱:";
inline constexpr const char* kAboutChinese = "为您的图片添加版权和边框的工具";
inline constexpr const char* kAboutClose = "关闭";

// A load or save that failed: the text, then the file, then the reason when
// one is known.
inline constexpr const char* kCannotOpenFile = "无法打开文件 ";
inline constexpr const char* kCannotSaveFile = "无法保存文件 ";
inline constexpr const char* kReasonSeparator = ": ";
inline constexpr const char* kUnsupportedFormat = "不支持此文件格式";

// Item 0 of the selection group while a zoom is known.
inline constexpr const char* kZoomItemPrefix = "放大 (";
} // namespace texts

// "放大 (" + zoom formatted with "%-4.2f" + "%)".
std::string ZoomItemCaption(double zoom);

} // namespace vellinor
