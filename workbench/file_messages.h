// The texts the open and save commands show, shared by their steps.
#pragma once

namespace rilo::file_messages {

inline constexpr const char *kFormatCaption = "Open file Error";
inline constexpr const char *kFormatText = "Open file format Error,please check your file!!";
inline constexpr const char *kOpenCaption = "開啟檔案";
inline constexpr const char *kOpened = "檔案開啟完成!!";
inline constexpr const char *kErrorCaption = "錯誤";
inline constexpr const char *kNoModel = "開啟檔案錯誤,請確認所開啟的檔案是否正確!!";
inline constexpr const char *kNothingLoaded = "請先讀取設定或開啟檔案!!";
inline constexpr const char *kSaveCaption = "存檔";
inline constexpr const char *kFormatQuestion = "請選擇您要儲存的檔案格式,[確定]=儲存程式 , [取消]=儲存設定";
inline constexpr const char *kOverwriteQuestion = "檔案已經存在,是否要覆蓋原有的檔案?";
inline constexpr const char *kSaveFileCaption = "儲存檔案";
inline constexpr const char *kSaved = "儲存檔案完成!!";
// A data file's run holds no page addresses: an image with gaps would come back moved.
inline constexpr const char *kNotARun = "程式頁面不連續,無法儲存為 DAT 檔案,請改存 TXT 檔案!!";

}  // namespace rilo::file_messages
